#pragma once

#include <QByteArray>
#include <QByteArrayView>

// What the tool's output says about passwords: that it asked for one
// ("Enter password (will not be echoed):", then "Break signaled" and 255
// when standard input is at its end), or that it refused the one it read.
// Fed chunk by chunk as the output arrives, so that a prompt in the middle
// of an output too long to keep is still seen; keeps only the line at hand,
// drawn as a terminal would draw it (progress texts are erased with
// backspaces on the same line). Works on bytes: names may not be UTF-8.
class PasswordSignals
{
public:
    enum class Verdict { None, Needed, Wrong };

    // ZIP's refusal of a password, leading the tool's error line.
    static constexpr char kWrongPassword[] = "Wrong password";

    void feed(QByteArrayView chunk);
    // The prompt was printed; also while the tool still waits for a line.
    bool asked() const;
    bool refused() const { return m_refused; }
    // What the run that ended with `status` means; a run stopped by a
    // cancel also ends in 255 and is the caller's to tell apart.
    Verdict verdict(int status) const;

    static Verdict read(int status, QByteArrayView output);

private:
    static QByteArrayView prompt();
    void endLine();

    // Lines past this are cut: every text looked for is shorter, and an
    // archive path longer than the system's limit is not expected.
    static constexpr qsizetype kLineLimit = 16 * 1024;

    QByteArray m_line;
    qsizetype m_cursor = 0;
    bool m_lineCut = false;
    bool m_afterError = false;
    bool m_asked = false;
    bool m_proven = false;
    bool m_refused = false;
};
