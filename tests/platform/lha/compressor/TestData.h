#pragma once

#include <QByteArray>

// Deterministic contents for the encoder tests.
namespace TestData {

QByteArray text(qsizetype size);
QByteArray random(qsizetype size, quint32 seed);
// Text, fixed-size records, zero runs, repeats at the window's edge and random stretches, in turn.
QByteArray mixed(qsizetype size, quint32 seed);

} // namespace TestData
