#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One run of a program, as plain data: tests check the arguments without
// running anything.
struct ToolCommand {
    QString program;
    QStringList arguments;
    // Empty: the caller's working folder.
    QString workingFolder;
    // The password line goes to this run's standard input. Only a run whose
    // standard input is ours can take it: the first, and only when the plan
    // feeds it no file.
    bool takesPassword = false;
};

// What one operation runs: one program, or a pipeline in which each run's
// standard output is the next one's standard input. Each run's standard
// error is its own output (the last run's standard output too), kept and
// read for progress and errors apart from the others'.
//
// Planning a pipeline, say a compressed tar listed in one go: the stream's
// reader first (`7zz x -so -bsp2 -- X.tar.gz`, progress on its standard
// error), the tar's reader last (`7zz l -slt -si -ttar`), whose standard
// output the listing parser reads. To have the tool read the very file the
// screen vouched for, give `inputFd` and let the first run read standard
// input (`7zz x -so -si -tgzip`): progress is then the share of it fed.
// The runner (ProcessRunner) stops every run on cancel, and the failure is
// the first run that failed on its own: one ended by a broken pipe only
// lost its reader.
struct ToolPlan {
    std::vector<ToolCommand> stages;
    // An open regular file the runner feeds to the first run's standard
    // input; -1: none.
    int inputFd = -1;
    // The last run must take its whole input but zeros (a tar's end): the
    // runner reads what it left and tells whether anything else was there.
    // The tool reading a tar from a stream stops at a damaged header with
    // success, which only this shows.
    bool lastReadsAll = false;
    // How often the password line is given: reading an encrypted archive
    // and writing the changed one, the tool asks once for each (measured).
    int passwordLines = 1;
    // The run before the last reads the same input as the last, which the
    // runner copies to both, and its output is its own: a compressed tar
    // listed beside its extraction from one decompression. Needs three runs.
    bool listingBeside = false;
};
