#include "legacy/jet_header.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace legacy {

namespace {

constexpr int kSignatureOffset = 4;
constexpr int kVersionOffset = 0x14;
// The header from 0x18 on is RC4-encrypted with a fixed key, 126 bytes in Jet 3 and 128 in Jet 4.
constexpr int kMaskedOffset = 0x18;
constexpr std::uint32_t kHeaderKey = 0x6b39dac7;
constexpr int kPasswordOffset = 0x42;
constexpr int kJet3PasswordSize = 20;
constexpr int kJet4PasswordSize = 40;
// Jet 4 also masks the password with the creation date kept here (a double, days since 1899-12-30).
constexpr int kCreationDateOffset = 0x72;
constexpr int kHeaderBytes = kMaskedOffset + 128;

const char kJetSignature[] = "Standard Jet DB";
const char kAceSignature[] = "Standard ACE DB";

void rc4(QByteArray& data, int offset, int length, std::uint32_t key)
{
    const unsigned char keyBytes[4] = {static_cast<unsigned char>(key), static_cast<unsigned char>(key >> 8),
                                       static_cast<unsigned char>(key >> 16),
                                       static_cast<unsigned char>(key >> 24)};
    std::array<unsigned char, 256> s;
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + keyBytes[i % 4]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        data[offset + n] = char(static_cast<unsigned char>(data[offset + n]) ^ s[(s[i] + s[j]) & 0xff]);
    }
}

bool startsWith(const QByteArray& page, const char* signature)
{
    const auto size = qsizetype(std::strlen(signature));
    return page.size() >= kSignatureOffset + size && page.mid(kSignatureOffset, size) == signature;
}

bool passwordSet(QByteArray header, bool jet3)
{
    rc4(header, kMaskedOffset, jet3 ? 126 : 128, kHeaderKey);
    const int size = jet3 ? kJet3PasswordSize : kJet4PasswordSize;
    unsigned char mask[4] = {0, 0, 0, 0};
    if (!jet3) {
        double created = 0;
        std::memcpy(&created, header.constData() + kCreationDateOffset, sizeof created);
        // The mask is the whole-day part of the date as a little-endian 32-bit number. A header too
        // damaged to hold a date has no mask to speak of.
        const bool fits = std::isfinite(created) && std::fabs(created) < 2147483647.0;
        const auto days = fits ? static_cast<std::uint32_t>(static_cast<std::int32_t>(created)) : 0u;
        for (int i = 0; i < 4; ++i)
            mask[i] = static_cast<unsigned char>(days >> (8 * i));
    }
    for (int i = 0; i < size; ++i) {
        if ((static_cast<unsigned char>(header[kPasswordOffset + i]) ^ mask[i % 4]) != 0)
            return true;
    }
    return false;
}

} // namespace

JetFileInfo inspectJetHeader(const QByteArray& firstPage)
{
    JetFileInfo info;
    const bool jet = startsWith(firstPage, kJetSignature);
    const bool ace = startsWith(firstPage, kAceSignature);
    if ((!jet && !ace) || firstPage.size() < kHeaderBytes) {
        info.kind = JetFileKind::NotJet;
        return info;
    }
    const auto version = static_cast<unsigned char>(firstPage[kVersionOffset]);
    if (ace || version >= 2) {
        info.kind = JetFileKind::Ace;
        return info;
    }
    info.kind = version == 0 ? JetFileKind::Jet3 : JetFileKind::Jet4;
    info.passwordSet = passwordSet(firstPage.left(kHeaderBytes), version == 0);
    return info;
}

JetFileInfo inspectJetFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {JetFileKind::Missing, false};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {JetFileKind::Unreadable, false};
    return inspectJetHeader(file.read(kHeaderBytes));
}

bool hasJetSignature(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return startsWith(file.read(kSignatureOffset + qsizetype(sizeof kJetSignature)), kJetSignature);
}

} // namespace legacy
