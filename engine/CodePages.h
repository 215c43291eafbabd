#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <span>

// The old DOS and Windows code pages a ZIP without the UTF-8 flag may hold
// its names in, and their decoding (through QtCore's ICU converters).
namespace CodePages {

struct CodePage {
    int number;
    // The converter's name.
    const char *decoder;
    // What the window shows, in English (translated in the "CodePages" context).
    const char *label;
    // The languages whose users most likely made such a ZIP: a tie goes to
    // the code page of the user's own language.
    const char *languages;
    // Double-byte code pages: the lead bytes, as an inclusive range or two.
    unsigned char leads[4];
    bool isDoubleByte() const { return leads[0] != 0; }
};

std::span<const CodePage> all();
const CodePage *find(int number);
// The label, translated.
QString label(const CodePage &codePage);

// The name's bytes decoded, or nullopt when some byte sequence is not in
// the code page or decodes to a control or private character.
std::optional<QString> decode(const CodePage &codePage, QByteArrayView bytes);

}
