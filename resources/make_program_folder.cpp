// Lays out the program folder beside the executable at build time.
#include "app/programfolderlayout.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: make_program_folder RESOURCES TARGET_FOLDER PROGRAM_PATH\n");
        return 2;
    }
    const QStringList problems = LayOutProgramFolder(args[1], args[2], args[3]);
    for (const QString& problem : problems)
        std::fprintf(stderr, "make_program_folder: %s\n", qPrintable(problem));
    return problems.isEmpty() ? 0 : 1;
}
