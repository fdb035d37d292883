#pragma once

#include <QString>

class SFCLI;

// Lists the orgs through the CLI without any window and reports in one line on standard output.
namespace SelfTest {

struct Outcome
{
    int status; // 0 pass, 1 fail
    QString line; // without the final line feed
};

// Runs the org list on the shared CLI adapter and prints the line; returns the exit status.
int run();

// The check itself, against any adapter.
Outcome evaluate(const SFCLI &cli);

} // namespace SelfTest
