#pragma once

#include "engine/Operation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// Reads the progress the tool prints with -bsp1: texts such as " 13% 1 -
// big/f1.bin" (percentage, files done, operation, name), each erased with
// backspaces before the next. They share the stream with the tool's lines,
// so every text between backspaces and line ends is a candidate and only
// those that start with a percentage count. Chunks may be cut anywhere.
class ProgressParser
{
public:
    // The latest progress in the chunk, if it completed one.
    std::optional<OperationProgress> feed(QByteArrayView chunk);

    static std::optional<OperationProgress> parseText(QByteArrayView text);

private:
    QByteArray m_pending;
    // Inside a text too long to be progress, until its end.
    bool m_skipping = false;
};
