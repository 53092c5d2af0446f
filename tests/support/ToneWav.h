#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QtEndian>

#include <cmath>

// Half a second of a 440 Hz sine, 16-bit mono, 22050 Hz, as a WAV file: what lame turns
// into a real MP3, and what the editor must refuse as a clip.
inline QByteArray toneWav()
{
    constexpr int rate = 22050, samples = rate / 2;
    QByteArray data(samples * 2, '\0');
    for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16(8000 * std::sin(2 * M_PI * 440 * i / rate)), data.data() + 2 * i);
    QByteArray header("RIFF....WAVEfmt ");
    auto put32 = [&header](quint32 v) { char b[4]; qToLittleEndian(v, b); header.append(b, 4); };
    auto put16 = [&header](quint16 v) { char b[2]; qToLittleEndian(v, b); header.append(b, 2); };
    put32(16); put16(1); put16(1); put32(rate); put32(rate * 2); put16(2); put16(16);
    header.append("data");
    put32(quint32(data.size()));
    qToLittleEndian<quint32>(quint32(header.size() - 8 + data.size()), header.data() + 4);
    return header + data;
}

inline QString lameProgram() { return QStandardPaths::findExecutable(QStringLiteral("lame")); }

// The tone as an MP3 made by lame in `folder`: its path, or empty when lame failed.
inline QString toneMp3(const QString &folder, const QStringList &lameOptions = {})
{
    const QString wav = folder + "/tone.wav", mp3 = folder + "/tone.mp3";
    QFile file(wav);
    if (!file.open(QIODevice::WriteOnly) || file.write(toneWav()) <= 0)
        return {};
    file.close();
    return QProcess::execute(lameProgram(), QStringList{"--quiet"} + lameOptions + QStringList{wav, mp3}) == 0 ? mp3 : QString();
}
