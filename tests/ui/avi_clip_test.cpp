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

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// A clip as an animation control's AVI: one video stream, frames as given (already encoded).
struct ClipPlan {
    int width = 1;
    int height = 1;           // negative: rows top-down
    quint32 compression = 0;  // 0 uncompressed, 1 RLE8
    QList<QRgb> palette = {kRed};
    quint32 microSecondsPerFrame = 100000;
    quint32 scale = 1;
    quint32 rate = 10;
    QByteArray frameId = "00db";
    bool inRecordList = false;
    QList<QByteArray> frames = {QByteArray(4, '\0')};
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

bool Reads(const ClipPlan& plan) { return ReadAviClip(BuildAvi(plan)).has_value(); }

// Each frame as its rows of palette indices, top row first; none when the clip is refused.
using IndexFrames = QList<QList<QList<uchar>>>;
IndexFrames Decoded(const ClipPlan& plan) {
    IndexFrames frames;
    for (const QImage& image : ReadAviClip(BuildAvi(plan)).value_or(AviClip{}).frames) {
        QList<QList<uchar>>& rows = frames.emplace_back();
        for (int y = 0; y < image.height(); ++y) {
            rows.append(
                QList<uchar>(image.constScanLine(y), image.constScanLine(y) + image.width()));
        }
    }
    return frames;
}

QByteArray OurClip() {
    QFile file(QStringLiteral(LOOMSTEAD_CLIP_PATH));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class AviClipTest : public QObject {
    Q_OBJECT

private slots:
    void loadsOurOwnClipAndOnlyReadableFilesOfBoundedSize();
    void damagedFilesGiveNoClip();
    void decodesFramesOverThePreviousOne();
    void refusesClipsPastTheLimits();
    void frameIntervalComesFromTheStreamRate();
    void playerDrawsOurClipTransparentPlaysStopsAndDropsItForAMissingFile();
};

void AviClipTest::loadsOurOwnClipAndOnlyReadableFilesOfBoundedSize() {
    const std::optional<AviClip> clip = LoadAviClip(QStringLiteral(LOOMSTEAD_CLIP_PATH));
    QVERIFY(clip.has_value());
    QCOMPARE(clip->size, QSize(272, 60));
    QCOMPARE(clip->frames.size(), size_t{20});
    QCOMPARE(clip->frameIntervalMs, 83);  // 12 frames a second

    // The white sheet starts down in the left folder; frame 10 has it high in the middle, turned
    // half over, its centre near (144, 12): (140, 3) is on it, clear of its edge and text lines.
    QCOMPARE(clip->frames[0].pixel(140, 3), qRgb(236, 236, 236));
    QCOMPARE(clip->frames[10].pixel(140, 3), qRgb(255, 255, 255));

    QVERIFY(!LoadAviClip(QStringLiteral("/nonexistent/Filemove.avi")).has_value());
    QTemporaryDir dir;
    QFile big(dir.filePath(QStringLiteral("big.avi")));
    // A good clip with too much after it.
    QVERIFY(big.open(QIODevice::WriteOnly) && big.write(OurClip()) > 0 &&
            big.resize(kMaxClipFileBytes + 1));
    big.close();
    QVERIFY(!LoadAviClip(big.fileName()).has_value());
}

void AviClipTest::damagedFilesGiveNoClip() {
    const QByteArray whole = OurClip();
    QVERIFY(!whole.isEmpty());
    for (const qsizetype keep :
         std::initializer_list<qsizetype>{0, 11, 12, 200, whole.size() / 2, whole.size() - 1}) {
        QVERIFY2(!ReadAviClip(whole.left(keep)).has_value(), qPrintable(QString::number(keep)));
    }
    // The first occurrence of a text, plus an offset, is overwritten with the bytes. Offsets into
    // strf: 8 header bytes, then size, width, height, planes, bits, compression.
    const std::tuple<const char*, QByteArray, int, QByteArray> damages[] = {
        {"huge width", "strf", 12, U32s({0x7fffffff})},
        {"zero height", "strf", 16, U32s({0})},
        {"most negative height", "strf", 16, U32s({0x80000000})},
        {"16 bits a pixel", "strf", 22, QByteArray("\x10\x00", 2)},
        {"RLE4", "strf", 24, U32s({2})},
        {"300 palette colours", "strf", 40, U32s({300})},
        {"format chunk past the file", "strf", 4, U32s({0xfffffff0})},
        {"frame chunk past its list", "00dc", 4, U32s({0x7fffffff})},
        {"file size past the end", "RIFF", 4, U32s({0xffffffff})},
        {"main header too short", "avih", 4, U32s({8})},
        {"no video stream", "vids", 0, "auds"},
        {"no movie list", "movi", 0, "movx"},
    };
    for (const auto& [name, near, offset, bytes] : damages) {
        QByteArray clip = whole;
        const qsizetype at = clip.indexOf(near);
        QVERIFY2(at >= 0, name);
        QVERIFY2(!ReadAviClip(clip.replace(at + offset, bytes.size(), bytes)).has_value(), name);
    }
}

void AviClipTest::decodesFramesOverThePreviousOne() {
    const QList<QRgb> four = {kRed, qRgb(0, 255, 0), kBlue, qRgb(255, 255, 255)};
    const QList<QByteArray> rle = {
        // Bottom row: four of 1. Top row: absolute 2 3 2 (padded), one 0. End.
        QByteArray("\x04\x01\x00\x00\x00\x03\x02\x03\x02\x00\x01\x00\x00\x00\x00\x01", 16),
        // Move one right and one up, one 0 there, end: only that pixel changes.
        QByteArray("\x00\x02\x01\x01\x01\x00\x00\x01", 8),
        // Runs and moves past the edges are cut off; data ending inside a code ends the frame.
        QByteArray("\xff\x03\x00\x02\x40\x40\x05\x02\x00", 9),
    };
    // Uncompressed rows are stored bottom-up and padded to four bytes: 4 + 3 bytes at least, as
    // the last row's padding may be left out. A leading empty chunk has nothing to repeat.
    const QByteArray rows = QByteArray("\0\1\2\0\3\3\0", 7);
    const QByteArray none;
    // clang-format off
    const std::tuple<const char*, ClipPlan, IndexFrames> cases[] = {
        {"RLE8", {.width = 4, .height = 2, .compression = 1, .palette = four, .frameId = "00dc",
                  .frames = rle},
         {{{2, 3, 2, 0}, {1, 1, 1, 1}}, {{2, 0, 2, 0}, {1, 1, 1, 1}}, {{2, 0, 2, 0}, {3, 3, 3, 3}}}},
        {"uncompressed", {.width = 3, .height = 2, .palette = four, .frames = {rows}},
         {{{3, 3, 0}, {0, 1, 2}}}},
        {"uncompressed, a byte short",
         {.width = 3, .height = 2, .palette = four, .frames = {rows.chopped(1)}}, {}},
        {"empty chunks repeat the frame before",
         {.palette = four, .inRecordList = true,
          .frames = {none, QByteArray(4, '\0'), none, QByteArray(4, '\1')}},
         {{{0}}, {{0}}, {{1}}}},
        {"empty chunks alone", {.frames = {none, none}}, {}},
    };
    // clang-format on
    for (const auto& [name, plan, frames] : cases) {
        QVERIFY2(Decoded(plan) == frames, name);
    }
    // The palette is stored blue, green, red: the uncompressed frame's (2, 1) is index 2.
    QCOMPARE(ReadAviClip(BuildAvi(std::get<1>(cases[1])))->frames.front().pixel(2, 1), kBlue);
}

void AviClipTest::refusesClipsPastTheLimits() {
    ClipPlan many;
    many.frames.fill(QByteArray(4, '\0'), kMaxClipFrames);
    QVERIFY(Reads(many));
    many.frames << QByteArray(4, '\0');
    QVERIFY(!Reads(many));
    // 16 frames of 2048x2048 take the 64 MB allowed, 17 more; refused before any is decoded.
    ClipPlan large{.width = kMaxClipSide, .height = kMaxClipSide};
    large.frames.fill(QByteArray(), 16);
    large.frames.first() = QByteArray(kMaxClipSide * kMaxClipSide, '\0');
    QVERIFY(Reads(large));
    large.frames << QByteArray();
    QVERIFY(!Reads(large));
}

void AviClipTest::frameIntervalComesFromTheStreamRate() {
    // Stream scale and rate, the main header's microseconds a frame, and the interval in ms.
    const std::tuple<quint32, quint32, quint32, int> cases[] = {
        {1, 25, 0, 40},
        {1, 0, 50000, 50},  // no rate: the main header's
        {0, 0, 0, 100},     // neither: 10 a second
        {10, 1, 0, 2000},   // slower is cut to 2 s
    };
    for (const auto& [scale, rate, microSeconds, intervalMs] : cases) {
        const ClipPlan plan{.microSecondsPerFrame = microSeconds, .scale = scale, .rate = rate};
        QCOMPARE(ReadAviClip(BuildAvi(plan)).value_or(AviClip{}).frameIntervalMs, intervalMs);
    }
}

void AviClipTest::playerDrawsOurClipTransparentPlaysStopsAndDropsItForAMissingFile() {
    QWidget page;
    page.setPalette(QPalette(Qt::red));  // the window colour too
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
