#include "WavBuilder.h"
#include "WavReader.h"

#include <QTest>

#include <span>

using namespace tavorim;
using namespace wavtest;

Q_DECLARE_METATYPE(tavorim::WavError)

namespace {

WavReadResult Read(const QByteArray &bytes) {
    return readWav(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                             std::size_t(bytes.size())));
}

const QByteArray Ramp16 = Samples16({0, 1000, -1000, 32767, -32768, 258, -2, 7});

} // namespace

class TestWavReader : public QObject {
    Q_OBJECT
private slots:
    void rejectsBadFiles_data();
    void rejectsBadFiles();
    void decodesGoodFiles_data();
    void decodesGoodFiles();
    void everyCutOfAGoodFileIsClean_data();
    void everyCutOfAGoodFileIsClean();
};

void TestWavReader::rejectsBadFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<WavError>("expected");

    const QByteArray good = Wav({}, Ramp16);
    auto fmt = [](Format f) { return Chunk{"fmt ", FormatBody(f)}; };
    const Chunk data{"data", Ramp16};

    QTest::newRow("empty file") << QByteArray() << WavError::NotWave;
    QTest::newRow("header cut") << good.left(11) << WavError::NotWave;

    QTest::newRow("text file") << QByteArray("Bravo ! Ceci n'est pas un son.\n")
                               << WavError::NotWave;
    QTest::newRow("not WAVE form") << QByteArray(good).replace(8, 4, "AVI ") << WavError::NotWave;
    QTest::newRow("big-endian RIFX") << QByteArray(good).replace(0, 4, "RIFX") << WavError::NotWave;
    QTest::newRow("riff size below form type") << Riff({fmt({}), data}, 2) << WavError::NotWave;
    QTest::newRow("fmt size 0") << Riff({{"fmt ", {}}, data}) << WavError::NotWave;
    QTest::newRow("fmt size 14") << Riff({fmt({.size = 14}), data}) << WavError::NotWave;
    QTest::newRow("fmt size 20") << Riff({fmt({.size = 20}), data}) << WavError::NotWave;
    QTest::newRow("fmt past end of file")
        << Riff({{"fmt ", FormatBody({}), 40}}) << WavError::NotWave;
    QTest::newRow("two fmt chunks") << Riff({fmt({}), fmt({}), data}) << WavError::NotWave;
    QTest::newRow("two fmt chunks, after data")
        << Riff({fmt({}), data, fmt({.channels = 2})}) << WavError::NotWave;
    QTest::newRow("two data chunks") << Riff({fmt({}), data, data}) << WavError::NotWave;
    QTest::newRow("no fmt") << Riff({data}) << WavError::NotWave;
    QTest::newRow("no data") << Riff({fmt({})}) << WavError::NotWave;
    QTest::newRow("zero channels") << Riff({fmt({.channels = 0}), data}) << WavError::NotWave;
    QTest::newRow("zero rate") << Riff({fmt({.rate = 0}), data}) << WavError::NotWave;
    QTest::newRow("block align too small")
        << Riff({fmt({.channels = 2, .blockAlign = 2}), data}) << WavError::NotWave;

    QTest::newRow("12-bit samples")
        << Riff({fmt({.bits = 12, .blockAlign = 2}), data}) << WavError::NotWave;
    QTest::newRow("extensible tag in an 18-byte fmt")
        << Riff({fmt({.tag = 0xFFFE, .size = 18}), data}) << WavError::NotWave;
    QTest::newRow("24-bit PCM") << Riff({fmt({.bits = 24}), data}) << WavError::Unsupported;
    QTest::newRow("24-bit extensible")
        << Riff({fmt({.tag = 0xFFFE, .channels = 2, .bits = 24, .size = 40}), data})
        << WavError::Unsupported;
    QTest::newRow("extensible float")
        << Riff({fmt({.tag = 0xFFFE, .bits = 16, .size = 40, .pcmSubFormat = false}), data})
        << WavError::Unsupported;
    QTest::newRow("extensible, fewer valid bits")
        << Riff({fmt({.tag = 0xFFFE, .bits = 16, .size = 40, .validBits = 12}), data})
        << WavError::Unsupported;
    QTest::newRow("float tag") << Riff({fmt({.tag = 3, .bits = 32}), data})
                               << WavError::Unsupported;

    QTest::newRow("three channels") << Riff({fmt({.channels = 3}), data}) << WavError::Unsupported;
    QTest::newRow("absurd rate") << Riff({fmt({.rate = 4000000}), data}) << WavError::Unsupported;
}

void TestWavReader::rejectsBadFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(WavError, expected);
    const WavReadResult result = Read(bytes);
    QCOMPARE(result.error, expected);
}

void TestWavReader::decodesGoodFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    // Expected samples on the 16-bit scale, interleaved.
    QTest::addColumn<QList<int>>("samples");

    const QList<int> ramp{0, 1000, -1000, 32767, -32768, 258, -2, 7};
    const QByteArray bytes8("\x00\x80\xFF\x7F\x01", 5);
    const QList<int> ramp8{-32768, 0, 32512, -256, -32512};
    auto fmt = [](Format f) { return Chunk{"fmt ", FormatBody(f)}; };

    QTest::newRow("16-bit mono") << Wav({}, Ramp16) << 1 << 22050 << 16 << ramp;
    QTest::newRow("16-bit stereo")
        << Wav({.channels = 2, .rate = 44100}, Ramp16) << 2 << 44100 << 16 << ramp;
    QTest::newRow("8-bit mono, odd data with pad")
        << Wav({.rate = 8000, .bits = 8}, bytes8) << 1 << 8000 << 8 << ramp8;
    QTest::newRow("8-bit stereo drops the half frame")
        << Wav({.channels = 2, .rate = 11025, .bits = 8}, bytes8) << 2 << 11025 << 8
        << ramp8.mid(0, 4);
    QTest::newRow("16-bit stereo drops the half frame")
        << Wav({.channels = 2}, Ramp16.left(14)) << 2 << 22050 << 16 << ramp.mid(0, 6);
    QTest::newRow("fmt of 18 bytes") << Wav({.size = 18}, Ramp16) << 1 << 22050 << 16 << ramp;
    QTest::newRow("extensible PCM 16-bit")
        << Wav({.tag = 0xFFFE, .channels = 2, .rate = 48000, .size = 40}, Ramp16) << 2 << 48000
        << 16 << ramp;
    QTest::newRow("odd chunks with pad bytes before and after")
        << Riff({{"LIST", "abc"}, fmt({}), {"junk", "x"}, {"data", Ramp16}, {"note", "12345"}}) << 1
        << 22050 << 16 << ramp;
    QTest::newRow("data before fmt")
        << Riff({{"data", Ramp16}, fmt({})}) << 1 << 22050 << 16 << ramp;
    QTest::newRow("huge data size clamped to the file")
        << Riff({fmt({}), {"data", Ramp16, 0xFFFFFFFFu}}) << 1 << 22050 << 16 << ramp;
    QTest::newRow("data size a little past the end")
        << Riff({fmt({}), {"data", Ramp16, std::uint32_t(Ramp16.size() + 3)}}) << 1 << 22050 << 16
        << ramp;
    QTest::newRow("riff size past the end")
        << Riff({fmt({}), {"data", Ramp16}}, 0xFFFFFFF0u) << 1 << 22050 << 16 << ramp;
    QTest::newRow("riff size too small")
        << Riff({fmt({}), {"data", Ramp16}}, 4) << 1 << 22050 << 16 << ramp;
    QTest::newRow("empty data") << Wav({}, {}) << 1 << 22050 << 16 << QList<int>{};
}

void TestWavReader::decodesGoodFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(int, bits);
    QFETCH(QList<int>, samples);

    const WavReadResult result = Read(bytes);
    QCOMPARE(result.error, WavError::None);
    const WavSound &sound = result.sound;
    QCOMPARE(int(sound.channels), channels);
    QCOMPARE(int(sound.sampleRate), rate);
    QCOMPARE(int(sound.bitsPerSample), bits);
    QCOMPARE(FrameCount(sound), std::size_t(samples.size() / channels));
    QList<int> decoded;
    for (std::size_t frame = 0; frame < FrameCount(sound); ++frame)
        for (unsigned channel = 0; channel < sound.channels; ++channel)
            decoded.append(Sample(sound, frame, channel));
    QCOMPARE(decoded, samples);
}

void TestWavReader::everyCutOfAGoodFileIsClean_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << Wav({.channels = 2}, Ramp16);
    QTest::newRow("extensible with odd chunk") << Riff(
        {{"LIST", "abc"}, {"fmt ", FormatBody({.tag = 0xFFFE, .size = 40})}, {"data", Ramp16}});
}

// A file cut anywhere (a copy interrupted, a download stopped) is either refused or gives
// the frames that are wholly there, never a read past its end.
void TestWavReader::everyCutOfAGoodFileIsClean() {
    QFETCH(QByteArray, bytes);
    const WavReadResult whole = Read(bytes);
    QCOMPARE(whole.error, WavError::None);
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        // A copy on the heap of exactly this length, so ASan sees any read past it.
        const QByteArray cut(bytes.constData(), length);
        const WavReadResult result = Read(cut);
        if (result.error != WavError::None)
            continue;
        const std::vector<std::uint8_t> &got = result.sound.samples;
        QVERIFY2(got.size() <= whole.sound.samples.size(), qPrintable(QString::number(length)));
        QVERIFY(std::equal(got.begin(), got.end(), whole.sound.samples.begin()));
    }
}

QTEST_APPLESS_MAIN(TestWavReader)
#include "tst_wavreader.moc"
