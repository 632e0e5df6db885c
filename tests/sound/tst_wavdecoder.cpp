// Cue files in every encoding a wave file may hold, written here with libsndfile's own writer,
// opened through the cue player (the bounded reader) and decoded as the audio output does.
#include "FakeAudioOutput.h"
#include "SoundPlayer.h"
#include "WavBuilder.h"
#include "WavDecoder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cmath>

using namespace tavorim;

namespace {

constexpr int Frames = 2000;

// Channel c of the source: a tone of its own, on the 16-bit scale.
int source(int c, int frame, int rate) {
    return int(std::lround(9000 * std::sin(2 * M_PI * (300 + 170 * c) * frame / rate + c)));
}

struct Encoding {
    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    int channels = 1;
    int rate = 22050;
    // Written by hand as 16-bit extensible PCM with this speaker mask.
    std::uint32_t mask = 0;
};

// Writes the source in an encoding; the samples go in at 32-bit scale, so that every depth
// gets them exactly where it can.
bool writeCue(const QString &path, const Encoding &e) {
    if (e.mask) {
        QList<std::int16_t> samples;
        for (int i = 0; i < Frames; ++i)
            for (int c = 0; c < e.channels; ++c)
                samples.append(std::int16_t(source(c, i, e.rate)));
        QFile file(path);
        const QByteArray bytes = wavtest::Wav({.tag = 0xFFFE,
                                               .channels = std::uint16_t(e.channels),
                                               .rate = std::uint32_t(e.rate),
                                               .size = 40,
                                               .channelMask = e.mask},
                                              wavtest::Samples16(samples));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    SF_INFO info{};
    info.format = e.format;
    info.channels = e.channels;
    info.samplerate = e.rate;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    // Float files take what is written as it is: they get the source on their own scale.
    const int subtype = e.format & SF_FORMAT_SUBMASK;
    const bool floating = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
    std::vector<int> frames;
    std::vector<double> floats;
    for (int i = 0; i < Frames; ++i)
        for (int c = 0; c < e.channels; ++c) {
            frames.push_back(source(c, i, e.rate) * 65536);
            floats.push_back(source(c, i, e.rate) / 32768.0);
        }
    const bool written = (floating ? sf_writef_double(file, floats.data(), Frames)
                                   : sf_writef_int(file, frames.data(), Frames)) == Frames;
    return sf_close(file) == 0 && written;
}

// What libsndfile itself reads back from the file, 16-bit.
std::vector<std::int16_t> readBack(const QString &path) {
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    std::vector<std::int16_t> samples(std::size_t(info.frames * info.channels));
    if (file)
        samples.resize(std::size_t(sf_readf_short(file, samples.data(), info.frames)) *
                       std::size_t(info.channels));
    sf_close(file);
    return samples;
}

} // namespace

Q_DECLARE_METATYPE(Encoding)

class TestWavDecoder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyEncodingPlays_data();
    void everyEncodingPlays();

private:
    QTemporaryDir dir_;
};

void TestWavDecoder::initTestCase() {
    QVERIFY(dir_.isValid());
    FakeAudioOutput::reset();
}

void TestWavDecoder::cleanupTestCase() {
    FakeAudioOutput::reset();
}

void TestWavDecoder::everyEncodingPlays_data() {
    QTest::addColumn<Encoding>("encoding");
    // Exact: the source comes out sample for sample. Otherwise (lossy codecs, 8 bits) what
    // comes out is what libsndfile reads back from the same file, and still the source's tone.
    QTest::addColumn<bool>("exact");
    // The source channels averaged into each channel heard; empty: each as it is.
    QTest::addColumn<QList<QList<int>>>("mix");

    const QList<QList<int>> asIs;
    QTest::newRow("8-bit PCM") << Encoding{SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 11025} << false
                               << asIs;
    QTest::newRow("16-bit PCM stereo")
        << Encoding{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100} << true << asIs;
    QTest::newRow("24-bit PCM") << Encoding{SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 96000} << true
                                << asIs;
    QTest::newRow("32-bit PCM, extensible")
        << Encoding{SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, 1, 48000} << true << asIs;
    QTest::newRow("32-bit float, tag 3")
        << Encoding{SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 22050} << true << asIs;
    QTest::newRow("32-bit float, extensible")
        << Encoding{SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 1, 32000} << true << asIs;
    QTest::newRow("64-bit float, extensible")
        << Encoding{SF_FORMAT_WAVEX | SF_FORMAT_DOUBLE, 2, 192000} << true << asIs;
    QTest::newRow("64-bit float, tag 3")
        << Encoding{SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, 8000} << true << asIs;
    QTest::newRow("mu-law") << Encoding{SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, 8000} << false << asIs;
    QTest::newRow("A-law") << Encoding{SF_FORMAT_WAV | SF_FORMAT_ALAW, 2, 8000} << false << asIs;
    QTest::newRow("IMA ADPCM") << Encoding{SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 2, 22050} << false
                               << asIs;
    QTest::newRow("MS ADPCM") << Encoding{SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 1, 11025} << false
                              << asIs;
    QTest::newRow("GSM 6.10") << Encoding{SF_FORMAT_WAV | SF_FORMAT_GSM610, 1, 8000} << false
                              << asIs;
    QTest::newRow("RF64") << Encoding{SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 2, 44100} << true << asIs;
    // The wave format's speaker order without a mask: FL FR FC LFE; the LFE is not heard.
    QTest::newRow("4 channels, standard order")
        << Encoding{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 4, 22050} << true
        << QList<QList<int>>{{0, 2}, {1, 2}};
    // Speaker masks: FL FR FC LFE BL BR; FL FR BL BR; FL BL SL (nothing on the right, so both
    // sides hear the left).
    QTest::newRow("5.1 extensible")
        << Encoding{0, 6, 48000, 0x3F} << true << QList<QList<int>>{{0, 2, 4}, {1, 2, 5}};
    QTest::newRow("quad extensible")
        << Encoding{0, 4, 44100, 0x33} << true << QList<QList<int>>{{0, 2}, {1, 3}};
    QTest::newRow("3 channels, none on the right")
        << Encoding{0, 3, 16000, 0x211} << true << QList<QList<int>>{{0, 1, 2}, {0, 1, 2}};
}

void TestWavDecoder::everyEncodingPlays() {
    QFETCH(Encoding, encoding);
    QFETCH(bool, exact);
    QFETCH(QList<QList<int>>, mix);
    const QString name = QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".wav");
    const QString path = dir_.filePath(name);
    QVERIFY2(writeCue(path, encoding), "libsndfile cannot write this encoding");

    FakeOutputPlayer player;
    player.setFileName(path);
    QCOMPARE(player.open(), SoundError::None);
    const DecodedCue &cue = FakeAudioOutput::lastSound();
    const int heard = mix.isEmpty() ? encoding.channels : int(mix.size());
    QCOMPARE(cue.channels, heard);
    QCOMPARE(cue.sampleRate, encoding.rate);
    // Block codecs end on a whole block.
    QVERIFY2(cue.frameCount() >= std::size_t(Frames) && cue.frameCount() < Frames + 1024u,
             qPrintable(QString::number(cue.frameCount())));

    const std::vector<std::int16_t> back = exact ? std::vector<std::int16_t>() : readBack(path);
    QVERIFY(exact || back.size() >= std::size_t(Frames * heard));
    double product = 0, energy = 0, energyHeard = 0;
    for (int i = 0; i < Frames; ++i) {
        for (int c = 0; c < heard; ++c) {
            int expected = source(c, i, encoding.rate);
            if (!mix.isEmpty()) {
                double sum = 0;
                for (int from : mix[c])
                    sum += source(from, i, encoding.rate);
                expected = int(std::lround(sum / double(mix[c].size())));
            }
            const int got = cue.samples[std::size_t(i * heard + c)];
            const int want = exact ? expected : back[std::size_t(i * heard + c)];
            if (std::abs(got - want) > (mix.isEmpty() ? 0 : 1))
                QFAIL(qPrintable(QStringLiteral("frame %1, channel %2: %3 instead of %4")
                                     .arg(i)
                                     .arg(c)
                                     .arg(got)
                                     .arg(want)));
            product += double(got) * expected;
            energy += double(expected) * expected;
            energyHeard += double(got) * got;
        }
    }
    const double correlation = product / std::sqrt(energy * energyHeard);
    QVERIFY2(correlation > 0.9, qPrintable(QString::number(correlation)));
}

QTEST_GUILESS_MAIN(TestWavDecoder)
#include "tst_wavdecoder.moc"
