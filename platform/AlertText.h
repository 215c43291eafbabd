#pragma once

#include <QString>

// Keeps an alert readable whatever it is asked to show: the tool's output
// for a damaged archive can run to tens of thousands of lines.
namespace AlertText {

struct Limits {
    // A text within both limits is shown exactly as it is.
    int maxLines = 40;
    qsizetype maxChars = 4000;
    // What a longer text keeps of its beginning and of its end; the tool
    // prints its errors last, so the end gets more.
    int headLines = 12;
    qsizetype headChars = 1200;
    int tailLines = 24;
    qsizetype tailChars = 2400;
    // The most the details may hold.
    qsizetype maxDetailChars = 1024 * 1024;
};

struct Bounded {
    QString message;
    // The whole text (or as much as maxDetailChars allows); empty when the
    // message already is the whole text.
    QString details;
};

Bounded bound(const QString &text, const Limits &limits = Limits());

// The line that stands for the text left out.
inline constexpr char16_t elision[] = u"\u2026";

} // namespace AlertText
