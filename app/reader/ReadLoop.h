#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <set>
#include <string>
#include <vector>

struct archive;
struct archive_entry;
class SafeWriter;

// One pass over an opened archive: lists its members in the tool's record
// shape ("Path = …" lines under "----------"), tests them (every byte read,
// so the checksums are checked), or extracts them through a SafeWriter.
// Records go to `out`; progress texts (" 13% 5 - name", ended by CR) and
// error lines to `err`. Returns the exit status: 0 done, 2 an error.
class ReadLoop
{
public:
    enum class Mode { List, Test, Extract };

    // A reader of the formats this program is for: RAR 4 and 5, and tar or
    // a single file compressed with lzip or lz4.
    static archive *newReader();

    ReadLoop(archive *reader, Mode mode, std::FILE *out, std::FILE *err);

    // Only these members, and what is inside those that are folders.
    void choose(std::vector<std::string> members) { m_chosen = std::move(members); }
    void setWriter(SafeWriter *writer) { m_writer = writer; }
    // The archive's bytes, for the percentage; its name, for the messages;
    // the raw data's member name when the file is only compressed.
    void describe(int64_t totalBytes, std::string archiveName, std::string rawName);
    // The volume to name when the data stops short.
    void setNextVolume(std::string name) { m_nextVolume = std::move(name); }
    // The files read, where their RAR 5 encryption records are looked for.
    void setVolumes(std::vector<std::string> volumes) { m_volumes = std::move(volumes); }

    int run();
    // Reports why the archive did not open; returns the exit status.
    int openFailed();

private:
    bool chosen(const std::string &path) const;
    void record(archive_entry *entry, const std::string &path);
    bool readData(archive_entry *entry, const std::string &path);
    // Reads the member's data through, into `fd` unless it is -1; false when
    // the archive cannot go on.
    bool pump(archive_entry *entry, const std::string &path, int fd, std::string &problem);
    bool extract(archive_entry *entry, const std::string &path);
    void progress(const std::string &name, bool force);
    void error(const std::string &where, const std::string &what);
    // The archive's error as one of the tool's phrases, then its own text.
    std::string archiveError() const;

    archive *m_reader;
    Mode m_mode;
    std::FILE *m_out;
    std::FILE *m_err;
    SafeWriter *m_writer = nullptr;
    std::vector<std::string> m_chosen;
    int64_t m_total = 0;
    std::string m_archiveName;
    std::string m_rawName;
    std::string m_nextVolume;
    std::vector<std::string> m_volumes;
    std::set<std::string> m_encrypted;
    bool m_scanned = false;
    bool m_sawEncrypted = false;
    int64_t m_items = 0;
    time_t m_lastTime = -1;
    char m_modified[32] = {};
    int m_lastPercent = -1;
    std::chrono::steady_clock::time_point m_lastReport;
    bool m_progressOpen = false;
    int m_status = 0;
};
