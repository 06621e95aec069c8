// "travimetra --usage" without the window's libraries: the same command
// line, history and settings reader, linked with nothing but them and
// SQLite. Set beside the program and sqlite3 (bench_usage_report), it
// tells how much of the command's time is the loading of Qt.
#include "UsageCommandLine.h"

int main(int argc, char* argv[])
{
    return UsageCommandLine::main(argc, argv);
}
