#pragma once

#include <QMainWindow>

// The application's one window. It has no menu command or shortcut that opens another.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
};
