#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Picks the one code page a ZIP's non-UTF-8 names were written in, from all
// of them together: a code page that cannot decode every name is out; of the
// rest, the one whose names read as the letters of one script, in words that
// look like words, wins over readings full of symbols, box drawing and
// scripts mixed within a word. A tie goes to the code page of the user's
// language, then to the earlier in CodePages::all().
namespace CodePageDetector {

// 0 when no code page decodes them all. `language` is a locale name such as
// "ru_RU" (QLocale::system().name()).
int detect(const std::vector<QByteArray> &names, const QString &language);

// How well the names read in one code page; nullopt-like INT_MIN when it
// cannot decode them. Exposed for the detector's measurements.
int score(const std::vector<QByteArray> &names, int codePage);

}
