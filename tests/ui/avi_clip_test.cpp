// The AVI reader: our own Share All clip, small hand-built clips, and truncated, corrupt or
// oversized files, which must give no clip and never crash; and the animation control playing
// our clip, stopping it, dropping it for a missing file, and drawing its background transparent.
#include "ui/avi_clip.h"

#include <QFile>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

#include "ui/animation_player.h"

namespace ui {
namespace {

// Little-endian 32-bit words, as RIFF stores its numbers.
QByteArray U32s(std::initializer_list<quint32> values) {
    QByteArray out;
    for (const quint32 value : values) {
        for (int shift = 0; shift < 32; shift += 8) {
            out.append(static_cast<char>((value >> shift) & 0xff));
        }
    }
    return out;
}

QByteArray Chunk(const char* id, const QByteArray& data) {
    const QByteArray out = QByteArray(id, 4) + U32s({static_cast<quint32>(data.size())}) + data;
    return data.size() % 2 != 0 ? out + '\0' : out;
}

QByteArray List(const char* type, const QByteArray& children) {
    return Chunk("LIST", QByteArray(type, 4) + children);
}

// A clip as an animation control's AVI: one video stream, frames as given (already encoded).
struct ClipPlan {
    int width = 1;
    int height = 1;           // negative: rows top-down
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
    const auto width = static_cast<quint32>(plan.width);
    const QByteArray avih =
        U32s({plan.microSecondsPerFrame, 0, 0, 0, static_cast<quint32>(plan.frames.size()), 0, 1, 0,
              width, static_cast<quint32>(std::abs(plan.height)), 0, 0, 0, 0});
    const QByteArray strh =
        "vids" + QByteArray(16, '\0') + U32s({plan.scale, plan.rate}) + QByteArray(28, '\0');
    QByteArray strf =
        U32s({40, width, static_cast<quint32>(plan.height), 1 | (8 << 16), plan.compression, 0, 0,
              0, static_cast<quint32>(plan.palette.size()), 0});
    for (const QRgb colour : plan.palette) {
        strf += U32s({colour & 0xffffff});  // blue, green, red, 0
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

ClipPlan Plan(int width, int height, const QList<QRgb>& palette, const QList<QByteArray>& frames) {
    ClipPlan plan;
    plan.width = width;
    plan.height = height;
    plan.palette = palette;
    plan.frames = frames;
    return plan;
}

bool Reads(const ClipPlan& plan) { return ReadAviClip(BuildAvi(plan)).has_value(); }

QByteArray OurClip() {
    QFile file(QStringLiteral(LOOMSTEAD_CLIP_PATH));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<uchar> IndexRow(const QImage& image, int y) {
    return QList<uchar>(image.constScanLine(y), image.constScanLine(y) + image.width());
}

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kWhite = qRgb(255, 255, 255);

}  // namespace

class AviClipTest : public QObject {
    Q_OBJECT

private slots:
    void loadsOurOwnClipAndOnlyReadableFilesOfBoundedSize();
    void damagedFilesGiveNoClip_data();
    void damagedFilesGiveNoClip();
    void decodesRle8FramesOverThePreviousOne();
    void emptyFrameChunksRepeatThePreviousFrame();
    void decodesUncompressedFramesOfTheRightSizeOnly();
    void frameIntervalComesFromTheStreamRate();
    void playerDrawsOurClipTransparentPlaysStopsAndDropsItForAMissingFile();
};

void AviClipTest::loadsOurOwnClipAndOnlyReadableFilesOfBoundedSize() {
    const std::optional<AviClip> clip = LoadAviClip(QStringLiteral(LOOMSTEAD_CLIP_PATH));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->size, QSize(272, 60));
    QCOMPARE(clip->frames.size(), size_t{20});
    QCOMPARE(clip->frameIntervalMs, 83);  // 12 frames a second
    QCOMPARE(clip->frames.front().pixel(0, 0), qRgb(236, 236, 236));

    // The white sheet starts down in the left folder; frame 10 has it high in the middle, turned
    // half over, its centre near (144, 12): (140, 3) is on it, clear of its edge and text lines.
    QCOMPARE(clip->frames[0].pixel(140, 3), qRgb(236, 236, 236));
    QCOMPARE(clip->frames[10].pixel(140, 3), qRgb(255, 255, 255));

    QVERIFY(!LoadAviClip(QStringLiteral("/nonexistent/Filemove.avi")).has_value());
    QTemporaryDir dir;
    QFile big(dir.filePath(QStringLiteral("big.avi")));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.write(OurClip()) > 0);
    QVERIFY(big.resize(kMaxClipFileBytes + 1));  // a good clip with too much after it
    big.close();
    QVERIFY(!LoadAviClip(big.fileName()).has_value());
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
    // Offsets into strf: 8 header bytes, then size, width, height, planes, bits, compression.
    const QByteArray strf("strf");
    QTest::newRow("huge width") << -1 << strf << 12 << U32s({0x7fffffff});
    QTest::newRow("zero height") << -1 << strf << 16 << U32s({0});
    QTest::newRow("most negative height") << -1 << strf << 16 << U32s({0x80000000});
    QTest::newRow("16 bits a pixel") << -1 << strf << 22 << QByteArray("\x10\x00", 2);
    QTest::newRow("RLE4") << -1 << strf << 24 << U32s({2});
    QTest::newRow("300 palette colours") << -1 << strf << 40 << U32s({300});
    QTest::newRow("format chunk past the file") << -1 << strf << 4 << U32s({0xfffffff0});
    QTest::newRow("frame chunk past its list")
        << -1 << QByteArray("00dc") << 4 << U32s({0x7fffffff});
    QTest::newRow("file size past the end") << -1 << QByteArray("RIFF") << 4 << U32s({0xffffffff});
    QTest::newRow("main header too short") << -1 << QByteArray("avih") << 4 << U32s({8});
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

void AviClipTest::decodesRle8FramesOverThePreviousOne() {
    ClipPlan rle =
        Plan(4, 2, {kRed, kGreen, kBlue, kWhite},
             {
                 // Bottom row: four of 1. Top row: absolute 2 3 2 (padded), one 0. End.
                 QByteArray("\x04\x01\x00\x00\x00\x03\x02\x03\x02\x00\x01\x00\x00\x00\x00\x01", 16),
                 // Move one right and one up, one 0 there, end: only that pixel changes.
                 QByteArray("\x00\x02\x01\x01\x01\x00\x00\x01", 8),
                 // Runs and moves past the edges are cut off; data ending inside a
                 // code ends the frame.
                 QByteArray("\xff\x03\x00\x02\x40\x40\x05\x02\x00", 9),
             });
    rle.compression = 1;
    rle.frameId = "00dc";
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
    ClipPlan plan = Plan(1, 1, {kRed, kGreen},
                         {QByteArray(), QByteArray("\x00\x00\x00\x00", 4), QByteArray(),
                          QByteArray("\x01\x00\x00\x00", 4)});
    plan.inRecordList = true;
    const std::optional<AviClip> clip = ReadAviClip(BuildAvi(plan));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->frames.size(), size_t{3});  // a leading empty chunk has nothing to repeat
    QCOMPARE(clip->frames[0].pixel(0, 0), kRed);
    QCOMPARE(clip->frames[1].pixel(0, 0), kRed);
    QCOMPARE(clip->frames[2].pixel(0, 0), kGreen);

    plan.frames = {QByteArray(), QByteArray()};
    QVERIFY(!Reads(plan));
}

void AviClipTest::decodesUncompressedFramesOfTheRightSizeOnly() {
    // 8 bits, 3x2, rows stored bottom-up and padded to four bytes: 4 + 3 bytes at least, as the
    // last row's padding may be left out.
    ClipPlan plan = Plan(3, 2, {kRed, kGreen, kBlue, kWhite}, {QByteArray("\0\1\2\0\3\3", 6)});
    QVERIFY(!Reads(plan));
    plan.frames = {QByteArray("\0\1\2\0\3\3\0", 7)};
    const std::optional<AviClip> clip = ReadAviClip(BuildAvi(plan));
    QVERIFY(clip.has_value());
    QCOMPARE(IndexRow(clip->frames.front(), 0), QList<uchar>({3, 3, 0}));
    QCOMPARE(IndexRow(clip->frames.front(), 1), QList<uchar>({0, 1, 2}));
    QCOMPARE(clip->frames.front().pixel(2, 1), kBlue);

    ClipPlan many = Plan(1, 1, {kRed}, {});
    many.frames.fill(QByteArray(4, '\0'), kMaxClipFrames);
    QVERIFY(Reads(many));
    many.frames << QByteArray(4, '\0');
    QVERIFY(!Reads(many));

    // 16 frames of 2048x2048 take the 64 MB allowed, 17 more; refused before any is decoded.
    ClipPlan large = Plan(kMaxClipSide, kMaxClipSide, {kRed}, {});
    large.frames.fill(QByteArray(), 16);
    large.frames.first() = QByteArray(kMaxClipSide * kMaxClipSide, '\0');
    QVERIFY(Reads(large));
    large.frames << QByteArray();
    QVERIFY(!Reads(large));
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
        ClipPlan plan = Plan(1, 1, {kRed}, {QByteArray(4, '\0')});
        plan.scale = c.scale;
        plan.rate = c.rate;
        plan.microSecondsPerFrame = c.microSecondsPerFrame;
        const std::optional<AviClip> clip = ReadAviClip(BuildAvi(plan));
        QVERIFY(clip.has_value());
        QCOMPARE(clip->frameIntervalMs, c.intervalMs);
    }
}

void AviClipTest::playerDrawsOurClipTransparentPlaysStopsAndDropsItForAMissingFile() {
    QWidget page;
    QPalette palette = page.palette();
    palette.setColor(QPalette::Window, Qt::red);
    page.setPalette(palette);
    page.setAutoFillBackground(true);
    page.resize(272, 60);
    auto* player = new AnimationPlayer(&page);
    player->setGeometry(0, 0, 272, 60);
    QVERIFY(player->open(QStringLiteral(LOOMSTEAD_CLIP_PATH)));
    const QImage shown = page.grab().toImage();
    QCOMPARE(shown.pixel(2, 2), qRgb(255, 0, 0));
    QVERIFY(shown.pixel(40, 45) != qRgb(255, 0, 0));  // the left folder

    QCOMPARE(player->frameIntervalMs(), 83);
    QCOMPARE(player->sizeHint(), QSize(272, 60));
    QVERIFY(!player->isPlaying());
    player->play();
    QTRY_VERIFY(player->currentFrame() >= 2);
    player->stop();
    const int stoppedAt = player->currentFrame();
    QTest::qWait(200);
    QCOMPARE(player->currentFrame(), stoppedAt);

    player->setAutoPlay(true);
    QVERIFY(player->open(QStringLiteral(LOOMSTEAD_CLIP_PATH)));
    QVERIFY(player->isPlaying());
    QVERIFY(!player->open(QStringLiteral("/nonexistent/Filemove.avi")));
    QVERIFY(!player->hasClip());  // the earlier clip is gone too
    QVERIFY(!player->isPlaying());
    player->play();
    QVERIFY(!player->isPlaying());
}

}  // namespace ui

QTEST_MAIN(ui::AviClipTest)
#include "avi_clip_test.moc"
