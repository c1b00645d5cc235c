// Draws the clip the shared-pools page plays while Share All runs: a sheet of paper flying from
// one folder into another, written as a RIFF AVI with RLE8 frames and one palette, the format an
// animation control plays.
//
// Usage: make_clip OUTPUT.avi
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 272;
constexpr int kHeight = 60;
constexpr int kFrames = 20;
constexpr int kFramesPerSecond = 12;
// The player makes this colour (the top-left pixel) transparent, so the clip sits on the page's
// own background; it is close to a light window colour so that blended edges stay unobtrusive.
const QColor kBackground(236, 236, 236);

// An open folder seen from the front: the back panel with its tab, then, drawn after the paper,
// the front flap, so the paper goes into the folder rather than over it.
void DrawFolderBack(QPainter& p, QPointF at) {
    const QColor edge(150, 110, 20);
    p.setPen(QPen(edge, 1.0));
    p.setBrush(QColor(222, 172, 56));
    QPainterPath back;
    back.moveTo(at + QPointF(0, 6));
    back.lineTo(at + QPointF(0, 2));
    back.lineTo(at + QPointF(3, 0));
    back.lineTo(at + QPointF(15, 0));
    back.lineTo(at + QPointF(18, 4));
    back.lineTo(at + QPointF(44, 4));
    back.lineTo(at + QPointF(44, 36));
    back.lineTo(at + QPointF(0, 36));
    back.closeSubpath();
    p.drawPath(back);
}

void DrawFolderFront(QPainter& p, QPointF at) {
    QLinearGradient fill(at + QPointF(0, 14), at + QPointF(0, 36));
    fill.setColorAt(0.0, QColor(255, 222, 120));
    fill.setColorAt(1.0, QColor(240, 190, 70));
    p.setPen(QPen(QColor(150, 110, 20), 1.0));
    p.setBrush(fill);
    const QPolygonF front{at + QPointF(-3, 14), at + QPointF(41, 14), at + QPointF(44, 36),
                          at + QPointF(0, 36)};
    p.drawPolygon(front);
}

// A sheet with a folded corner and a few lines of text, centred on the origin.
void DrawSheet(QPainter& p) {
    const QColor edge(90, 90, 110);
    p.setPen(QPen(edge, 1.0));
    p.setBrush(Qt::white);
    QPainterPath sheet;
    sheet.moveTo(-8, -11);
    sheet.lineTo(4, -11);
    sheet.lineTo(8, -7);
    sheet.lineTo(8, 11);
    sheet.lineTo(-8, 11);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.setBrush(QColor(210, 210, 220));
    p.drawPolygon(QPolygonF{QPointF(4, -11), QPointF(4, -7), QPointF(8, -7)});
    p.setPen(QPen(QColor(60, 100, 190), 1.2));
    for (int line = 0; line < 5; ++line) {
        const double y = -5.5 + line * 3.5;
        p.drawLine(QPointF(-5, y), QPointF(line == 4 ? 1 : 5, y));
    }
}

QImage DrawFrame(int frame) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QPointF from(22, 18);
    const QPointF to(206, 18);
    DrawFolderBack(p, from);
    DrawFolderBack(p, to);

    // The sheet rises out of the left folder, arcs over and sinks into the right one, turning
    // once on the way.
    const double t = static_cast<double>(frame) / (kFrames - 1);
    const double eased = 0.5 - 0.5 * std::cos(std::numbers::pi * t);
    const double x = from.x() + 22 + eased * (to.x() - from.x());
    const double y = 40 - 28 * std::sin(std::numbers::pi * t);
    p.save();
    p.translate(x, y);
    p.rotate(360.0 * eased);
    DrawSheet(p);
    p.restore();

    DrawFolderFront(p, from);
    DrawFolderFront(p, to);
    return image;
}

// One palette for every frame: the colours in use, the most frequent first; when there are more
// than 256, the rare ones (blended edges) take their nearest kept colour.
class Palette {
public:
    explicit Palette(const std::vector<QImage>& frames) {
        std::map<QRgb, int64_t> counts;
        for (const QImage& frame : frames) {
            for (int y = 0; y < frame.height(); ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
                for (int x = 0; x < frame.width(); ++x) {
                    ++counts[row[x] | 0xff000000u];
                }
            }
        }
        std::vector<std::pair<QRgb, int64_t>> byCount(counts.begin(), counts.end());
        std::stable_sort(byCount.begin(), byCount.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        for (const auto& [colour, count] : byCount) {
            if (m_colours.size() == 256) {
                break;
            }
            m_colours.push_back(colour);
        }
    }

    const std::vector<QRgb>& colours() const { return m_colours; }

    uint8_t indexOf(QRgb colour) {
        colour |= 0xff000000u;
        if (const auto found = m_cache.find(colour); found != m_cache.end()) {
            return found->second;
        }
        int best = 0;
        int bestDistance = INT32_MAX;
        for (size_t i = 0; i < m_colours.size(); ++i) {
            const int dr = qRed(colour) - qRed(m_colours[i]);
            const int dg = qGreen(colour) - qGreen(m_colours[i]);
            const int db = qBlue(colour) - qBlue(m_colours[i]);
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        m_cache[colour] = static_cast<uint8_t>(best);
        return static_cast<uint8_t>(best);
    }

private:
    std::vector<QRgb> m_colours;
    std::map<QRgb, uint8_t> m_cache;
};

// RLE8 of one frame, rows bottom-up: runs of one index, absolute runs for mixed stretches, an
// end-of-line code after every row and the end-of-bitmap code after the last.
std::string EncodeRle8(const QImage& frame, Palette& palette) {
    std::string out;
    std::vector<uint8_t> row(frame.width());
    for (int y = frame.height() - 1; y >= 0; --y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            row[x] = palette.indexOf(pixels[x]);
        }
        size_t x = 0;
        while (x < row.size()) {
            size_t run = 1;
            while (x + run < row.size() && run < 255 && row[x + run] == row[x]) {
                ++run;
            }
            if (run >= 3) {
                out.push_back(static_cast<char>(run));
                out.push_back(static_cast<char>(row[x]));
                x += run;
                continue;
            }
            // A stretch with no run of three: absolute mode needs at least three bytes.
            size_t end = x;
            while (end < row.size() && end - x < 255) {
                size_t ahead = 1;
                while (end + ahead < row.size() && ahead < 3 && row[end + ahead] == row[end]) {
                    ++ahead;
                }
                if (ahead >= 3) {
                    break;
                }
                ++end;
            }
            const size_t length = end - x;
            if (length < 3) {
                for (size_t i = 0; i < length; ++i) {
                    out.push_back(1);
                    out.push_back(static_cast<char>(row[x + i]));
                }
            } else {
                out.push_back(0);
                out.push_back(static_cast<char>(length));
                out.append(reinterpret_cast<const char*>(&row[x]), length);
                if (length % 2 != 0) {
                    out.push_back(0);
                }
            }
            x = end;
        }
        out.push_back(0);
        out.push_back(y == 0 ? 1 : 0);
    }
    return out;
}

void PutU16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>((value >> 8) & 0xff));
}

void PutU32(std::string& out, uint32_t value) {
    PutU16(out, value & 0xffff);
    PutU16(out, value >> 16);
}

std::string Chunk(const char* id, const std::string& data) {
    std::string out(id, 4);
    PutU32(out, static_cast<uint32_t>(data.size()));
    out += data;
    if (data.size() % 2 != 0) {
        out.push_back(0);
    }
    return out;
}

std::string List(const char* type, const std::string& children) {
    return Chunk("LIST", std::string(type, 4) + children);
}

std::string WriteAvi(const std::vector<std::string>& frames, const std::vector<QRgb>& colours) {
    const uint32_t microSecondsPerFrame = 1000000 / kFramesPerSecond;
    size_t largest = 0;
    for (const std::string& frame : frames) {
        largest = std::max(largest, frame.size());
    }

    std::string avih;
    PutU32(avih, microSecondsPerFrame);
    PutU32(avih, static_cast<uint32_t>(largest * kFramesPerSecond));  // max bytes per second
    PutU32(avih, 0);                                                  // padding granularity
    PutU32(avih, 0x10);                                               // AVIF_HASINDEX
    PutU32(avih, static_cast<uint32_t>(frames.size()));
    PutU32(avih, 0);  // initial frames
    PutU32(avih, 1);  // streams
    PutU32(avih, static_cast<uint32_t>(largest));
    PutU32(avih, kWidth);
    PutU32(avih, kHeight);
    for (int i = 0; i < 4; ++i) {
        PutU32(avih, 0);
    }

    std::string strh = "vids";
    strh += "RLE ";
    PutU32(strh, 0);                 // flags
    PutU16(strh, 0);                 // priority
    PutU16(strh, 0);                 // language
    PutU32(strh, 0);                 // initial frames
    PutU32(strh, 1);                 // scale
    PutU32(strh, kFramesPerSecond);  // rate: frames per second = rate / scale
    PutU32(strh, 0);                 // start
    PutU32(strh, static_cast<uint32_t>(frames.size()));
    PutU32(strh, static_cast<uint32_t>(largest));
    PutU32(strh, 0xffffffffu);  // quality: default
    PutU32(strh, 0);            // sample size
    PutU16(strh, 0);
    PutU16(strh, 0);
    PutU16(strh, kWidth);
    PutU16(strh, kHeight);

    std::string strf;
    PutU32(strf, 40);
    PutU32(strf, kWidth);
    PutU32(strf, kHeight);  // positive: rows bottom-up
    PutU16(strf, 1);        // planes
    PutU16(strf, 8);        // bits per pixel
    PutU32(strf, 1);        // BI_RLE8
    PutU32(strf, static_cast<uint32_t>(largest));
    PutU32(strf, 0);
    PutU32(strf, 0);
    PutU32(strf, static_cast<uint32_t>(colours.size()));
    PutU32(strf, 0);
    for (QRgb colour : colours) {
        strf.push_back(static_cast<char>(qBlue(colour)));
        strf.push_back(static_cast<char>(qGreen(colour)));
        strf.push_back(static_cast<char>(qRed(colour)));
        strf.push_back(0);
    }

    std::string movi;
    std::string idx1;
    for (const std::string& frame : frames) {
        idx1 += "00dc";
        PutU32(idx1, 0x10);                                    // AVIIF_KEYFRAME
        PutU32(idx1, static_cast<uint32_t>(4 + movi.size()));  // from the "movi" type
        PutU32(idx1, static_cast<uint32_t>(frame.size()));
        movi += Chunk("00dc", frame);
    }

    const std::string hdrl =
        List("hdrl", Chunk("avih", avih) + List("strl", Chunk("strh", strh) + Chunk("strf", strf)));
    std::string riff = "AVI " + hdrl + List("movi", movi) + Chunk("idx1", idx1);
    return Chunk("RIFF", riff);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_clip OUTPUT.avi\n");
        return 2;
    }
    std::vector<QImage> images;
    for (int frame = 0; frame < kFrames; ++frame) {
        images.push_back(DrawFrame(frame));
    }
    Palette palette(images);
    std::vector<std::string> frames;
    for (const QImage& image : images) {
        frames.push_back(EncodeRle8(image, palette));
    }
    const std::string avi = WriteAvi(frames, palette.colours());

    const std::string path = argv[1];
    const std::string temporary = path + ".tmp";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(avi.data(), static_cast<std::streamsize>(avi.size()));
    out.close();
    if (!out || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "make_clip: cannot write %s\n", path.c_str());
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
