#pragma once

#include "engine/ArchiveFormats.h"
#include "engine/NewArchiveOptions.h"
#include "engine/ProcessRunner.h"
#include "engine/ToolPlan.h"

#include <QString>
#include <QStringList>

// The runs that carry out each operation, as data: which program (the
// format's reader, in <resources>/bin) and its arguments. A new operation
// or reader adds its plan here; the runner and the engine need no change
// to run a pipeline.
class ToolPlans
{
public:
    // `programFolder`: where the readers' programs are.
    explicit ToolPlans(const QString &programFolder) : m_programFolder(programFolder) {}

    QString program(Reader reader) const;

    // `tarFd`, when given, is the open archive, a compressed stream read
    // as the tar it holds (TarProbe): the plan is then a pipeline.
    ToolPlan list(const ArchiveFormat &format, const QString &archive, int tarFd = -1) const;
    ToolPlan test(const ArchiveFormat &format, const QString &archive, int tarFd = -1) const;
    // Extraction into `folder`, optionally of some members. The tool runs
    // inside the folder and is told "-o.": it would replace each '*' of a
    // path given there by the archive's name, and with relative paths the
    // system resolves no folder above for each of a million files.
    // `memberList`, when given, names a file that lists the members to take,
    // one a line: no selection is too large for a command line.
    // `toolNames`: the list holds names as the tool printed them, which may
    // not be UTF-8; it then reads the list's bytes as they are (measured).
    ToolPlan extract(const ArchiveFormat &format, const QString &archive, const QString &folder,
                     const QString &memberList = QString(), bool toolNames = false, int tarFd = -1) const;
    // The extraction of a compressed tar (`tarFd`) with its listing beside
    // it, both from one decompression (ToolPlan::listingBeside).
    ToolPlan extractListed(const ArchiveFormat &format, const QString &archive, const QString &folder,
                           const QString &memberList, bool toolNames, int tarFd) const;
    // With `encrypted` the tool reads the new password from its standard input;
    // `excluded` names a file listing the paths to leave out, one a line.
    ToolPlan createZip(const QString &zip, const QStringList &inputs, bool encrypted = false,
                       const QString &excluded = QString()) const;
    // ToolPlansCreate.cpp: a new archive at `archive` as the Compress dialog
    // chose it. ZIP, 7z and tar are one run of the tool; a compressed tar is
    // the tool's tar on its standard output into the compressor (the tool,
    // or zstd, which the tool cannot write), and zstd's volumes are cut by
    // split. `excluded` names a list of paths to leave out.
    ToolPlan newArchive(const QString &archive, const QStringList &inputs, const NewArchiveOptions &options,
                        bool encrypted, const QString &excluded = QString()) const;

    // ToolPlansChange.cpp: `archive` changed into the new file `written`:
    // the members a list file names (with their contents) removed; pairs
    // of old and new names renamed; files and folders added at the top.
    ToolPlan removal(const QString &archive, const QString &written, const QString &memberList, bool encrypted) const;
    ToolPlan renaming(const QString &archive, const QString &written, const QStringList &pairs, bool encrypted) const;
    ToolPlan addition(const QString &archive, const QString &written, const QStringList &inputs, bool encrypted,
                      const QString &excluded = QString()) const;
    // Tests the members a list names with the password on standard input:
    // whether a password fits before anything is encrypted with it.
    ToolPlan memberTest(const QString &archive, const QString &memberList) const;
    // The tar a compressed stream holds (the open file `fd`) written to
    // `written`, and a tar compressed into `written` as `format` is.
    ToolPlan decompressed(const ArchiveFormat &format, int fd, const QString &written) const;
    ToolPlan compressed(const ArchiveFormat &format, const QString &tar, const QString &written) const;

    // What every run gets besides its arguments. A password goes to
    // standard input as one line: never into the arguments or the
    // environment, which every local user can read.
    static ProcessRunner::Options options(const QString &password = QString());

private:
    ToolPlan one(Reader reader, QStringList arguments, const QString &workingFolder = QString(),
                 bool takesPassword = true) const;
    ToolPlan tar(const ArchiveFormat &format, const QString &archive, int fd, QStringList tarArguments,
                 const QString &workingFolder = QString()) const;

    QString m_programFolder;
};
