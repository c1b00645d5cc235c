// The AVI reader: our own Share All clip, small hand-built clips of every frame format, and
// truncated, corrupt or oversized files, which must give no clip and never crash.
#include "avi_clip.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <limits>
#include <vector>

namespace ui {
namespace {

void PutU16(QByteArray& out, quint32 value) {
    out.append(static_cast<char>(value & 0xff));
    out.append(static_cast<char>((value >> 8) & 0xff));
}

void PutU32(QByteArray& out, quint32 value) {
    PutU16(out, value & 0xffff);
    PutU16(out, value >> 16);
}

QByteArray Chunk(const char* id, const QByteArray& data) {
    QByteArray out(id, 4);
    PutU32(out, static_cast<quint32>(data.size()));
    out += data;
    if (data.size() % 2 != 0) {
        out.append('\0');
    }
    return out;
}

QByteArray List(const char* type, const QByteArray& children) {
    return Chunk("LIST", QByteArray(type, 4) + children);
}

// A clip as an animation control's AVI: one video stream, frames as given (already encoded).
struct ClipPlan {
    int width = 1;
    int height = 1;  // negative: rows top-down
    int bitsPerPixel = 8;
    quint32 compression = 0;  // 0 uncompressed, 1 RLE8
    QList<QRgb> palette;
    quint32 microSecondsPerFrame = 100000;
    quint32 scale = 1;
    quint32 rate = 10;
    QList<QByteArray> frames;
    QByteArray frameId = "00db";
    bool inRecordList = false;
};

QByteArray BuildAvi(const ClipPlan& plan) {
    QByteArray avih;
    PutU32(avih, plan.microSecondsPerFrame);
    for (int i = 0; i < 3; ++i) {
        PutU32(avih, 0);
    }
    PutU32(avih, static_cast<quint32>(plan.frames.size()));
    PutU32(avih, 0);
    PutU32(avih, 1);
    PutU32(avih, 0);
    PutU32(avih, static_cast<quint32>(plan.width));
    PutU32(avih, static_cast<quint32>(std::abs(plan.height)));
    avih += QByteArray(16, '\0');

    QByteArray strh("vids");
    strh += QByteArray(16, '\0');  // handler, flags, priority, language, initial frames
    PutU32(strh, plan.scale);
    PutU32(strh, plan.rate);
    strh += QByteArray(28, '\0');

    QByteArray strf;
    PutU32(strf, 40);
    PutU32(strf, static_cast<quint32>(plan.width));
    PutU32(strf, static_cast<quint32>(plan.height));
    PutU16(strf, 1);
    PutU16(strf, static_cast<quint32>(plan.bitsPerPixel));
    PutU32(strf, plan.compression);
    PutU32(strf, 0);
    PutU32(strf, 0);
    PutU32(strf, 0);
    PutU32(strf, static_cast<quint32>(plan.palette.size()));
    PutU32(strf, 0);
    for (const QRgb colour : plan.palette) {
        strf.append(static_cast<char>(qBlue(colour)));
        strf.append(static_cast<char>(qGreen(colour)));
        strf.append(static_cast<char>(qRed(colour)));
        strf.append('\0');
    }

    QByteArray movie;
    for (const QByteArray& frame : plan.frames) {
        movie += Chunk(plan.frameId.constData(), frame);
        movie += Chunk("01wb", QByteArray(3, 'x'));  // another stream's data is passed over
    }
    if (plan.inRecordList) {
        movie = List("rec ", movie);
    }
    const QByteArray headers =
        List("hdrl", Chunk("avih", avih) + List("strl", Chunk("strh", strh) + Chunk("strf", strf)));
    return Chunk("RIFF", QByteArray("AVI ") + headers + Chunk("JUNK", "pad") + List("movi", movie) +
                             Chunk("idx1", QByteArray()));
}

QByteArray OurClip() {
    QFile file(QStringLiteral(LOOMSTEAD_CLIP_PATH));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<uchar> IndexRow(const QImage& image, int y) {
    QList<uchar> row;
    for (int x = 0; x < image.width(); ++x) {
        row << image.constScanLine(y)[x];
    }
    return row;
}

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kWhite = qRgb(255, 255, 255);

}  // namespace

class AviClipTest : public QObject {
    Q_OBJECT

private slots:
    void readsOurOwnClip();
    void damagedFilesGiveNoClip_data();
    void damagedFilesGiveNoClip();
    void decodesUncompressedFrames();
    void decodesRle8FramesOverThePreviousOne();
    void emptyFrameChunksRepeatThePreviousFrame();
    void tooShortOrTooManyOrTooLargeFramesGiveNoClip();
    void frameIntervalComesFromTheStreamRate();
    void loadsOnlyReadableFilesOfBoundedSize();
};

void AviClipTest::readsOurOwnClip() {
    const std::optional<AviClip> clip = LoadAviClip(QStringLiteral(LOOMSTEAD_CLIP_PATH));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->size, QSize(272, 60));
    QCOMPARE(clip->frames.size(), size_t{20});
    QCOMPARE(clip->frameIntervalMs, 83);  // 12 frames a second
    QCOMPARE(clip->frames.front().pixel(0, 0), qRgb(236, 236, 236));

    // The white sheet is down in the left folder at first and high in the middle halfway.
    auto sheetInTheMiddle = [](const QImage& frame) {
        for (int y = 0; y < 28; ++y) {
            for (int x = 110; x < 170; ++x) {
                const QRgb pixel = frame.pixel(x, y);
                if (qRed(pixel) > 250 && qGreen(pixel) > 250 && qBlue(pixel) > 250) {
                    return true;
                }
            }
        }
        return false;
    };
    QVERIFY(!sheetInTheMiddle(clip->frames[0]));
    QVERIFY(sheetInTheMiddle(clip->frames[10]));
    QVERIFY(clip->frames[0] != clip->frames[19]);
}

void AviClipTest::damagedFilesGiveNoClip_data() {
    QTest::addColumn<int>("keep");         // bytes kept from the start, -1 all
    QTest::addColumn<QByteArray>("near");  // the first occurrence of this text ...
    QTest::addColumn<int>("offset");       // ... plus this many bytes is overwritten
    QTest::addColumn<QByteArray>("bytes");

    const qsizetype size = OurClip().size();
    QVERIFY(size > 0);
    for (const qsizetype keep :
         {qsizetype{0}, qsizetype{11}, qsizetype{12}, qsizetype{200}, size / 2, size - 1}) {
        QTest::addRow("first %d bytes", int(keep))
            << int(keep) << QByteArray() << 0 << QByteArray();
    }
    auto u32 = [](quint32 value) {
        QByteArray out;
        PutU32(out, value);
        return out;
    };
    // Offsets into strf: 8 header bytes, then size, width, height, planes, bits, compression.
    const QByteArray strf("strf");
    QTest::newRow("huge width") << -1 << strf << 12 << u32(0x7fffffff);
    QTest::newRow("zero height") << -1 << strf << 16 << u32(0);
    QTest::newRow("most negative height") << -1 << strf << 16 << u32(0x80000000);
    QTest::newRow("16 bits a pixel") << -1 << strf << 22 << QByteArray("\x10\x00", 2);
    QTest::newRow("RLE4") << -1 << strf << 24 << u32(2);
    QTest::newRow("300 palette colours") << -1 << strf << 40 << u32(300);
    QTest::newRow("format chunk past the file") << -1 << strf << 4 << u32(0xfffffff0);
    QTest::newRow("frame chunk past its list") << -1 << QByteArray("00dc") << 4 << u32(0x7fffffff);
    QTest::newRow("file size past the end") << -1 << QByteArray("RIFF") << 4 << u32(0xffffffff);
    QTest::newRow("main header too short") << -1 << QByteArray("avih") << 4 << u32(8);
    QTest::newRow("no video stream") << -1 << QByteArray("vids") << 0 << QByteArray("auds");
    QTest::newRow("no movie list") << -1 << QByteArray("movi") << 0 << QByteArray("movx");
}

void AviClipTest::damagedFilesGiveNoClip() {
    QFETCH(int, keep);
    QFETCH(QByteArray, near);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QByteArray clip = OurClip().left(keep < 0 ? std::numeric_limits<int>::max() : keep);
    if (!near.isEmpty()) {
        const qsizetype at = clip.indexOf(near);
        QVERIFY(at >= 0);
        clip.replace(at + offset, bytes.size(), bytes);
    }
    QVERIFY(!ReadAviClip(clip).has_value());
}

void AviClipTest::decodesUncompressedFrames() {
    // 8 bits, 3x2, rows stored bottom-up and padded to four bytes.
    ClipPlan indexed;
    indexed.width = 3;
    indexed.height = 2;
    indexed.palette = {kRed, kGreen, kBlue, kWhite};
    indexed.frames = {QByteArray("\x00\x01\x02\x00\x03\x03\x00\x00", 8)};
    std::optional<AviClip> clip = ReadAviClip(BuildAvi(indexed));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->frames.size(), size_t{1});
    const QImage& frame = clip->frames.front();
    QCOMPARE(frame.pixel(0, 0), kWhite);
    QCOMPARE(frame.pixel(2, 0), kRed);
    QCOMPARE(frame.pixel(0, 1), kRed);
    QCOMPARE(frame.pixel(1, 1), kGreen);
    QCOMPARE(frame.pixel(2, 1), kBlue);

    // 24 bits, 2x2, rows top-down (negative height), blue-green-red, padded to four bytes.
    ClipPlan rgb24;
    rgb24.width = 2;
    rgb24.height = -2;
    rgb24.bitsPerPixel = 24;
    rgb24.frames = {
        QByteArray("\x00\x00\xff\x00\xff\x00\x00\x00"
                   "\xff\x00\x00\xff\xff\xff\x00\x00",
                   16)};
    clip = ReadAviClip(BuildAvi(rgb24));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->frames.front().pixel(0, 0), kRed);
    QCOMPARE(clip->frames.front().pixel(1, 0), kGreen);
    QCOMPARE(clip->frames.front().pixel(0, 1), kBlue);
    QCOMPARE(clip->frames.front().pixel(1, 1), kWhite);

    // 32 bits, in a "rec " list; the fourth byte is not alpha.
    ClipPlan rgb32;
    rgb32.bitsPerPixel = 32;
    rgb32.inRecordList = true;
    rgb32.frames = {QByteArray("\x0a\x14\x1e\x00", 4)};
    clip = ReadAviClip(BuildAvi(rgb32));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->frames.front().pixel(0, 0), qRgb(30, 20, 10));
}

void AviClipTest::decodesRle8FramesOverThePreviousOne() {
    ClipPlan rle;
    rle.width = 4;
    rle.height = 2;
    rle.compression = 1;
    rle.frameId = "00dc";
    rle.palette = {kRed, kGreen, kBlue, kWhite};
    rle.frames = {
        // Bottom row: four of 1. Top row: absolute 2 3 2 (padded), one 0. End.
        QByteArray("\x04\x01\x00\x00"
                   "\x00\x03\x02\x03\x02\x00\x01\x00\x00\x00"
                   "\x00\x01",
                   16),
        // Move one right and one up, one 0 there, end: only that pixel changes.
        QByteArray("\x00\x02\x01\x01\x01\x00\x00\x01", 8),
        // Runs and moves past the edges are cut off; data ending inside a code ends the frame.
        QByteArray("\xff\x03\x00\x02\x40\x40\x05\x02\x00", 9),
    };
    const std::optional<AviClip> clip = ReadAviClip(BuildAvi(rle));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->frames.size(), size_t{3});
    QCOMPARE(IndexRow(clip->frames[0], 1), QList<uchar>({1, 1, 1, 1}));
    QCOMPARE(IndexRow(clip->frames[0], 0), QList<uchar>({2, 3, 2, 0}));
    QCOMPARE(clip->frames[0].pixel(1, 0), kWhite);
    QCOMPARE(IndexRow(clip->frames[1], 1), QList<uchar>({1, 1, 1, 1}));
    QCOMPARE(IndexRow(clip->frames[1], 0), QList<uchar>({2, 0, 2, 0}));
    QCOMPARE(IndexRow(clip->frames[2], 1), QList<uchar>({3, 3, 3, 3}));
    QCOMPARE(IndexRow(clip->frames[2], 0), QList<uchar>({2, 0, 2, 0}));
}

void AviClipTest::emptyFrameChunksRepeatThePreviousFrame() {
    ClipPlan plan;
    plan.palette = {kRed, kGreen};
    plan.frames = {QByteArray(), QByteArray("\x00\x00\x00\x00", 4), QByteArray(),
                   QByteArray("\x01\x00\x00\x00", 4)};
    const std::optional<AviClip> clip = ReadAviClip(BuildAvi(plan));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->frames.size(), size_t{3});  // a leading empty chunk has nothing to repeat
    QCOMPARE(clip->frames[0].pixel(0, 0), kRed);
    QCOMPARE(clip->frames[1].pixel(0, 0), kRed);
    QCOMPARE(clip->frames[2].pixel(0, 0), kGreen);

    plan.frames = {QByteArray(), QByteArray()};
    QVERIFY(!ReadAviClip(BuildAvi(plan)).has_value());
}

void AviClipTest::tooShortOrTooManyOrTooLargeFramesGiveNoClip() {
    ClipPlan shortFrame;
    shortFrame.width = 3;
    shortFrame.height = 2;
    shortFrame.palette = {kRed};
    shortFrame.frames = {QByteArray(6, '\0')};  // needs 4 + 3 bytes
    QVERIFY(!ReadAviClip(BuildAvi(shortFrame)).has_value());
    shortFrame.frames = {QByteArray(7, '\0')};  // the last row's padding may be left out
    QVERIFY(ReadAviClip(BuildAvi(shortFrame)).has_value());

    ClipPlan many;
    many.palette = {kRed};
    for (int i = 0; i <= kMaxClipFrames; ++i) {
        many.frames << QByteArray(4, '\0');
    }
    QVERIFY(!ReadAviClip(BuildAvi(many)).has_value());

    // 17 frames of 2048x2048 would take 68 MB; refused before any frame is decoded.
    ClipPlan large;
    large.width = kMaxClipSide;
    large.height = kMaxClipSide;
    large.palette = {kRed};
    for (int i = 0; i < 17; ++i) {
        large.frames << QByteArray();
    }
    QVERIFY(!ReadAviClip(BuildAvi(large)).has_value());
}

void AviClipTest::frameIntervalComesFromTheStreamRate() {
    struct Case {
        quint32 scale, rate, microSecondsPerFrame;
        int intervalMs;
    };
    const Case cases[] = {
        {1, 25, 0, 40},
        {1, 0, 50000, 50},  // no rate: the main header's
        {0, 0, 0, 100},     // neither: 10 a second
        {10, 1, 0, 2000},   // slower is cut to 2 s
    };
    for (const Case& c : cases) {
        ClipPlan plan;
        plan.palette = {kRed};
        plan.frames = {QByteArray(4, '\0')};
        plan.scale = c.scale;
        plan.rate = c.rate;
        plan.microSecondsPerFrame = c.microSecondsPerFrame;
        const std::optional<AviClip> clip = ReadAviClip(BuildAvi(plan));
        QVERIFY(clip.has_value());
        QCOMPARE(clip->frameIntervalMs, c.intervalMs);
    }
}

void AviClipTest::loadsOnlyReadableFilesOfBoundedSize() {
    QVERIFY(!LoadAviClip(QStringLiteral("/nonexistent/Filemove.avi")).has_value());
    QTemporaryDir dir;
    QFile big(dir.filePath(QStringLiteral("big.avi")));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.write(OurClip()) > 0);
    QVERIFY(big.resize(kMaxClipFileBytes + 1));  // a good clip with too much after it
    big.close();
    QVERIFY(!LoadAviClip(big.fileName()).has_value());
}

}  // namespace ui

QTEST_GUILESS_MAIN(ui::AviClipTest)
#include "avi_clip_test.moc"
