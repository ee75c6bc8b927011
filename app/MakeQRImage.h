#pragma once
// A text (in practice an address the teacher's mobile app scans) as a QR
// code picture in a PNG file.
#include <QString>

// Encodes text in UTF-8 at the lowest error-correction level and writes a
// 300 x 300 black-on-white PNG with a one-module margin to filePath. False,
// with a log line, for an empty text, a text too long for any QR version or
// a file that cannot be written (no partial file is left). GUI thread.
bool MakeQRImage(QString text, QString filePath);
