#include "app/reader/ReadLoop.h"

#include "app/reader/RarHeaders.h"
#include "app/reader/SafeWriter.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kCannotDecrypt[] = "Cannot decrypt: encrypted members are not supported";

bool contains(const char *text, const char *part)
{
    return text && std::strstr(text, part);
}

// A name fit for a progress text, which ends at the first control character.
std::string printable(const std::string &name)
{
    size_t end = 0;
    while (end < name.size() && static_cast<unsigned char>(name[end]) >= 0x20)
        ++end;
    return name.substr(0, end);
}

} // namespace

ReadLoop::ReadLoop(archive *reader, Mode mode, std::FILE *out, std::FILE *err)
    : m_reader(reader), m_mode(mode), m_out(out), m_err(err)
{
}

void ReadLoop::describe(int64_t totalBytes, std::string archiveName, std::string rawName)
{
    m_total = totalBytes;
    m_archiveName = std::move(archiveName);
    m_rawName = std::move(rawName);
}

bool ReadLoop::chosen(const std::string &path) const
{
    if (m_chosen.empty())
        return true;
    for (const std::string &name : m_chosen) {
        if (path == name || (path.size() > name.size() && path.compare(0, name.size(), name) == 0
                             && path[name.size()] == '/'))
            return true;
    }
    return false;
}

archive *ReadLoop::newReader()
{
    archive *reader = archive_read_new();
    archive_read_support_format_rar(reader);
    archive_read_support_format_rar5(reader);
    archive_read_support_format_tar(reader);
    archive_read_support_format_raw(reader);
    archive_read_support_filter_lzip(reader);
    archive_read_support_filter_lz4(reader);
    return reader;
}

int ReadLoop::openFailed()
{
    error(m_archiveName, archiveError());
    return m_status;
}

int ReadLoop::run()
{
    if (m_mode == Mode::List)
        std::fputs("----------\n", m_out);
    bool matched = false;
    bool first = true;
    for (;;) {
        archive_entry *entry = nullptr;
        const int result = archive_read_next_header(m_reader, &entry);
        if (result == ARCHIVE_EOF)
            break;
        if (result < ARCHIVE_WARN) {
            error(m_archiveName, archiveError());
            break;
        }
        // Anything at all opens as raw data: only a compressed file counts.
        const bool raw = archive_format(m_reader) == ARCHIVE_FORMAT_RAW;
        if (first && raw && archive_filter_count(m_reader) < 2) {
            error(m_archiveName, "Cannot open the file as archive");
            break;
        }
        first = false;
        const char *name = archive_entry_pathname(entry);
        std::string path = raw ? m_rawName : name ? name : "";
        // A tar names its folders "d/"; the listing and the choice use "d".
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        if (path.find('\n') != std::string::npos) {
            error(printable(path), "Unsupported name: it holds a line break");
            continue;
        }
        if (!chosen(path))
            continue;
        if ((archive_format(m_reader) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAR_V5 && !m_volumes.empty()) {
            if (!m_scanned) {
                for (const std::string &volume : m_volumes) {
                    const std::set<std::string> found = RarHeaders::read(volume).encrypted;
                    m_encrypted.insert(found.begin(), found.end());
                }
            }
            m_scanned = true;
            if (name && m_encrypted.count(name))
                archive_entry_set_is_data_encrypted(entry, 1);
        }
        m_sawEncrypted = m_sawEncrypted || archive_entry_is_encrypted(entry);
        matched = true;
        ++m_items;
        bool going = true;
        switch (m_mode) {
        case Mode::List:
            record(entry, path);
            break;
        case Mode::Test:
            progress(path, false);
            going = readData(entry, path);
            break;
        case Mode::Extract:
            progress(path, false);
            going = extract(entry, path);
            break;
        }
        if (!going)
            break;
    }
    // Nothing of an archive that holds an encrypted member is offered.
    if (m_mode == Mode::List && m_sawEncrypted)
        error(m_archiveName, kCannotDecrypt);
    if (!m_chosen.empty() && !matched && m_status == 0)
        std::fputs("No files to process\n", m_err);
    if (m_progressOpen)
        std::fputc('\n', m_err);
    std::fflush(m_out);
    return m_status;
}

void ReadLoop::record(archive_entry *entry, const std::string &path)
{
    std::string text = "Path = " + path;
    text += archive_entry_filetype(entry) == AE_IFDIR ? "\nFolder = +" : "\nFolder = -";
    if (archive_entry_size_is_set(entry))
        text += "\nSize = " + std::to_string(archive_entry_size(entry));
    if (archive_entry_mtime_is_set(entry)) {
        const time_t mtime = archive_entry_mtime(entry);
        // Many members share a time: the last one stays formatted.
        if (mtime != m_lastTime) {
            struct tm local;
            if (!localtime_r(&mtime, &local) || !std::strftime(m_modified, sizeof m_modified, "%Y-%m-%d %H:%M:%S", &local))
                m_modified[0] = 0;
            m_lastTime = mtime;
        }
        text += "\nModified = ";
        text += m_modified;
    }
    if (const char *target = archive_entry_symlink(entry); target && archive_entry_filetype(entry) == AE_IFLNK)
        text += std::string("\nSymbolic Link = ") + target;
    if (const char *target = archive_entry_hardlink(entry))
        text += std::string("\nHard Link = ") + target;
    if (archive_entry_is_encrypted(entry))
        text += "\nEncrypted = +";
    text += "\n\n";
    std::fwrite(text.data(), 1, text.size(), m_out);
}

bool ReadLoop::readData(archive_entry *entry, const std::string &path)
{
    if (archive_entry_is_data_encrypted(entry)) {
        error(path, kCannotDecrypt);
        return true;
    }
    const mode_t type = archive_entry_filetype(entry);
    if (type != AE_IFREG && type != 0)
        return true;
    std::string problem;
    return pump(entry, path, -1, problem);
}

bool ReadLoop::pump(archive_entry *entry, const std::string &path, int fd, std::string &problem)
{
    const void *block;
    size_t size;
    la_int64_t offset;
    la_int64_t end = 0;
    while (problem.empty()) {
        const int result = archive_read_data_block(m_reader, &block, &size, &offset);
        if (result == ARCHIVE_EOF)
            break;
        if (result < ARCHIVE_OK) {
            error(path, archiveError());
            return result > ARCHIVE_FATAL;
        }
        const char *data = static_cast<const char *>(block);
        for (size_t done = 0; fd >= 0 && done < size;) {
            const ssize_t n = ::pwrite(fd, data + done, size - done, off_t(offset + la_int64_t(done)));
            if (n < 0) {
                problem = "Cannot write output file : errno=" + std::to_string(errno) + " : " + std::strerror(errno)
                          + " : " + path;
                break;
            }
            done += size_t(n);
        }
        end = std::max(end, offset + la_int64_t(size));
        progress(path, false);
    }
    // A RAR volume set that lacks its last volumes ends a split member
    // early without a word.
    const int format = archive_format(m_reader) & ARCHIVE_FORMAT_BASE_MASK;
    if (problem.empty() && (format == ARCHIVE_FORMAT_RAR || format == ARCHIVE_FORMAT_RAR_V5)
        && archive_entry_size_is_set(entry) && end < archive_entry_size(entry)) {
        const bool missing = !m_nextVolume.empty() && ::access(m_nextVolume.c_str(), F_OK) != 0;
        error(path, missing ? "Missing volume : " + m_nextVolume : std::string("Unexpected end of archive"));
        return false;
    }
    // A sparse file may end in a hole.
    if (fd >= 0 && problem.empty() && ::ftruncate(fd, off_t(end)) != 0)
        problem = "Cannot write output file : errno=" + std::to_string(errno) + " : " + path;
    return true;
}

bool ReadLoop::extract(archive_entry *entry, const std::string &path)
{
    if (SafeWriter::split(path).empty()) {
        // "./" and the like name the folder itself; "../x" leads outside.
        if (path.find("..") != std::string::npos)
            error(printable(path), "Dangerous path, left out");
        return true;
    }
    if (archive_entry_is_data_encrypted(entry)) {
        error(path, kCannotDecrypt);
        return true;
    }
    const time_t mtime = archive_entry_mtime_is_set(entry) ? archive_entry_mtime(entry) : std::time(nullptr);
    const mode_t type = archive_entry_filetype(entry);
    mode_t mode = archive_entry_perm(entry);
    std::string problem;
    const char *hardlink = archive_entry_hardlink(entry);
    if (hardlink && archive_entry_size(entry) == 0) {
        problem = m_writer->copyOf(path, hardlink, mode, mtime);
    } else if (type == AE_IFDIR) {
        problem = m_writer->folder(path, mode, mtime);
    } else if (type == AE_IFLNK) {
        const char *target = archive_entry_symlink(entry);
        problem = m_writer->symlink(path, target ? target : "", mtime);
    } else if (type == AE_IFREG || type == 0) {
        if (type == 0 && mode == 0)
            mode = 0644;
        int fd = -1;
        problem = m_writer->createFile(path, fd);
        const int before = m_status;
        const bool going = problem.empty() ? pump(entry, path, fd, problem) : true;
        if (fd >= 0) {
            const std::string closing = m_writer->finishFile(fd, mode, mtime);
            if (problem.empty())
                problem = closing;
            if (!problem.empty() || m_status != before)
                m_writer->discard(path);
        }
        if (!going)
            return false;
    } else {
        std::fprintf(m_err, "%sWARNING: %s : special file left out\n", m_progressOpen ? "\n" : "",
                     printable(path).c_str());
        m_progressOpen = false;
        return true;
    }
    if (!problem.empty())
        error(path, problem);
    return true;
}

void ReadLoop::progress(const std::string &name, bool force)
{
    const int64_t done = archive_filter_bytes(m_reader, -1);
    const int percent = m_total > 0 ? int(std::min<int64_t>(100, done * 100 / m_total)) : 0;
    const auto now = std::chrono::steady_clock::now();
    if (!force && percent == m_lastPercent && now - m_lastReport < std::chrono::milliseconds(200))
        return;
    m_lastPercent = percent;
    m_lastReport = now;
    // Backed over and blanked, as the tool does: a line that was only
    // progress reads as empty.
    char text[512];
    const int length = std::snprintf(text, sizeof text, " %d%% %" PRId64 " - %s", percent, m_items,
                                     printable(name).c_str());
    const std::string back(size_t(std::clamp(length, 0, int(sizeof text) - 1)), '\b');
    std::fprintf(m_err, "%s%s%s%s", text, back.c_str(), std::string(back.size(), ' ').c_str(), back.c_str());
    m_progressOpen = true;
}

void ReadLoop::error(const std::string &where, const std::string &what)
{
    std::fflush(m_out);
    std::fprintf(m_err, "%sERROR: %s : %s\n", m_progressOpen ? "\n" : "", where.c_str(), what.c_str());
    m_progressOpen = false;
    m_status = std::max(m_status, archive_errno(m_reader) == ENOMEM ? 8 : 2);
}

std::string ReadLoop::archiveError() const
{
    const char *text = archive_error_string(m_reader);
    const std::string own = text ? text : "unknown error";
    if (archive_errno(m_reader) == ENOMEM)
        return "Can't allocate required memory (" + own + ")";
    if (contains(text, "runcat") || contains(text, "remature") || contains(text, "nexpected EOF")
        || contains(text, "nexpected end")) {
        // A volume set that stops short lacks its next volume.
        if (!m_nextVolume.empty() && ::access(m_nextVolume.c_str(), F_OK) != 0)
            return "Missing volume : " + m_nextVolume;
        return "Unexpected end of archive (" + own + ")";
    }
    if (contains(text, "CRC") || contains(text, "hecksum"))
        return "CRC Failed (" + own + ")";
    if (contains(text, "Unrecognized archive format"))
        return "Cannot open the file as archive";
    if (contains(text, "ncrypt") || contains(text, "assword"))
        return std::string(kCannotDecrypt) + " (" + own + ")";
    if (contains(text, "nsupported") || contains(text, "not supported"))
        return "Unsupported Method (" + own + ")";
    return "Data Error (" + own + ")";
}
