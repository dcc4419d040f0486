// SPDX-License-Identifier: MIT
#include "BmpInfoHeader.h"

#include <QtEndian>

std::optional<BmpInfoHeader> ReadBmpInfoHeader(QByteArrayView bytes) {
    if (bytes.size() < 4)
        return std::nullopt;
    const char* at = bytes.data();
    BmpInfoHeader header;
    header.bytes = qFromLittleEndian<quint32>(at);
    if (qint64(header.bytes) > bytes.size() || (header.bytes != 12 && header.bytes < 16))
        return std::nullopt;
    if (header.bytes == 12) {
        header.width = qFromLittleEndian<quint16>(at + 4);
        header.height = qFromLittleEndian<quint16>(at + 6);
        header.bitCount = qFromLittleEndian<quint16>(at + 10);
        return header;
    }
    header.width = qFromLittleEndian<qint32>(at + 4);
    header.height = qFromLittleEndian<qint32>(at + 8);
    header.bitCount = qFromLittleEndian<quint16>(at + 14);
    if (header.bytes >= 20)
        header.compression = qFromLittleEndian<quint32>(at + 16);
    if (header.bytes >= 36)
        header.colourCount = qFromLittleEndian<quint32>(at + 32);
    return header;
}
