#include "BrightcairnApp.h"

int main(int argc, char **argv)
{
    BrightcairnApp app(argc, argv);
    return app.exec();
}
