#include "ui/avi_clip.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace ui {
namespace {

constexpr quint32 kCompressionRgb = 0;
constexpr quint32 kCompressionRle8 = 1;
constexpr qint64 kBitmapInfoHeaderBytes = 40;

// A part of the file; every read below checks its size first.
struct Span {
    const uchar* data = nullptr;
    qint64 size = 0;
};

quint16 U16(const uchar* p) { return static_cast<quint16>(p[0] | (p[1] << 8)); }

quint32 U32(const uchar* p) {
    return static_cast<quint32>(p[0]) | (static_cast<quint32>(p[1]) << 8) |
           (static_cast<quint32>(p[2]) << 16) | (static_cast<quint32>(p[3]) << 24);
}

qint32 S32(const uchar* p) { return static_cast<qint32>(U32(p)); }

bool IsFourCc(const uchar* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// Calls visit(id, data) for each chunk of a RIFF container's contents. False when a chunk runs
// past the end of the container or visit refuses; a trailing fragment shorter than a chunk
// header is ignored.
template <typename Visit>
bool ForEachChunk(Span span, Visit visit) {
    qint64 pos = 0;
    while (span.size - pos >= 8) {
        const uchar* id = span.data + pos;
        const qint64 size = U32(span.data + pos + 4);
        if (size > span.size - pos - 8) {
            return false;
        }
        if (!visit(id, Span{span.data + pos + 8, size})) {
            return false;
        }
        pos += 8 + size + (size & 1);
    }
    return true;
}

// A LIST chunk's type and its children.
bool IsList(const uchar* id, Span data, const char* type) {
    return IsFourCc(id, "LIST") && data.size >= 4 && IsFourCc(data.data, type);
}

Span ListChildren(Span data) { return Span{data.data + 4, data.size - 4}; }

struct Headers {
    quint32 microSecondsPerFrame = 0;
    bool haveMainHeader = false;
    int videoStream = -1;  // position of the first video stream among the stream lists
    quint32 scale = 0;
    quint32 rate = 0;
    Span format;
};

bool ReadStreamList(Span children, int streamIndex, Headers& headers) {
    Span streamHeader;
    Span streamFormat;
    const bool ok = ForEachChunk(children, [&](const uchar* id, Span data) {
        if (IsFourCc(id, "strh") && streamHeader.data == nullptr) {
            streamHeader = data;
        } else if (IsFourCc(id, "strf") && streamFormat.data == nullptr) {
            streamFormat = data;
        }
        return true;
    });
    if (!ok) {
        return false;
    }
    if (headers.videoStream >= 0 || streamHeader.size < 28 ||
        !IsFourCc(streamHeader.data, "vids")) {
        return true;
    }
    headers.videoStream = streamIndex;
    headers.scale = U32(streamHeader.data + 20);
    headers.rate = U32(streamHeader.data + 24);
    headers.format = streamFormat;
    return true;
}

bool ReadHeaderList(Span children, Headers& headers) {
    int streamIndex = 0;
    return ForEachChunk(children, [&](const uchar* id, Span data) {
        if (IsFourCc(id, "avih") && data.size >= 56) {
            headers.microSecondsPerFrame = U32(data.data);
            headers.haveMainHeader = true;
        } else if (IsList(id, data, "strl")) {
            return ReadStreamList(ListChildren(data), streamIndex++, headers);
        }
        return true;
    });
}

// Frame chunks of the video stream: "NNdb" (uncompressed) or "NNdc" (compressed), directly in
// the movie list or in its "rec " lists.
bool CollectFrames(Span movie, int videoStream, bool inRecord, std::vector<Span>& frames) {
    return ForEachChunk(movie, [&](const uchar* id, Span data) {
        if (!inRecord && IsList(id, data, "rec ")) {
            return CollectFrames(ListChildren(data), videoStream, true, frames);
        }
        const bool digits = id[0] >= '0' && id[0] <= '9' && id[1] >= '0' && id[1] <= '9';
        if (!digits || (id[0] - '0') * 10 + (id[1] - '0') != videoStream) {
            return true;
        }
        if ((id[2] == 'd' && id[3] == 'b') || (id[2] == 'd' && id[3] == 'c')) {
            if (frames.size() >= static_cast<size_t>(kMaxClipFrames)) {
                return false;
            }
            frames.push_back(data);
        }
        return true;
    });
}

struct Format {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    quint32 compression = 0;
    QList<QRgb> colours;  // 256 entries for 8-bit frames
};

std::optional<Format> ReadFormat(Span strf) {
    if (strf.size < kBitmapInfoHeaderBytes) {
        return std::nullopt;
    }
    const qint64 headerSize = U32(strf.data);
    if (headerSize < kBitmapInfoHeaderBytes || headerSize > strf.size) {
        return std::nullopt;
    }
    Format format;
    const qint32 width = S32(strf.data + 4);
    const qint32 height = S32(strf.data + 8);
    format.bitsPerPixel = U16(strf.data + 14);
    format.compression = U32(strf.data + 16);
    const quint32 coloursUsed = U32(strf.data + 32);
    if (width < 1 || width > kMaxClipSide || height == 0 || height < -kMaxClipSide ||
        height > kMaxClipSide) {
        return std::nullopt;
    }
    format.width = width;
    format.height = std::abs(height);
    format.topDown = height < 0;

    const bool rgb =
        format.compression == kCompressionRgb &&
        (format.bitsPerPixel == 8 || format.bitsPerPixel == 24 || format.bitsPerPixel == 32);
    const bool rle8 = format.compression == kCompressionRle8 && format.bitsPerPixel == 8;
    if (!rgb && !rle8) {
        return std::nullopt;
    }
    if (format.bitsPerPixel == 8) {
        const quint32 count = coloursUsed == 0 ? 256 : coloursUsed;
        if (count > 256 || headerSize + 4 * qint64{count} > strf.size) {
            return std::nullopt;
        }
        format.colours.fill(qRgb(0, 0, 0), 256);
        for (quint32 i = 0; i < count; ++i) {
            const uchar* quad = strf.data + headerSize + 4 * i;
            format.colours[static_cast<int>(i)] = qRgb(quad[2], quad[1], quad[0]);
        }
    }
    return format;
}

int DestinationRow(const Format& format, int storedRow) {
    return format.topDown ? storedRow : format.height - 1 - storedRow;
}

// An uncompressed frame; nullopt when the chunk is shorter than the frame.
std::optional<QImage> DecodeRgbFrame(const Format& format, Span data) {
    const qint64 rowBytes = qint64{format.width} * format.bitsPerPixel / 8;
    const qint64 stride = format.bitsPerPixel == 32 ? rowBytes : (rowBytes + 3) & ~qint64{3};
    // The last row's padding is sometimes left out.
    if (data.size < stride * (format.height - 1) + rowBytes) {
        return std::nullopt;
    }
    QImage image(format.width, format.height,
                 format.bitsPerPixel == 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (image.isNull()) {
        return std::nullopt;
    }
    if (format.bitsPerPixel == 8) {
        image.setColorTable(format.colours);
    }
    for (int row = 0; row < format.height; ++row) {
        const uchar* in = data.data + stride * row;
        uchar* out = image.scanLine(DestinationRow(format, row));
        if (format.bitsPerPixel == 8) {
            std::memcpy(out, in, static_cast<size_t>(format.width));
            continue;
        }
        auto* pixels = reinterpret_cast<QRgb*>(out);
        const int step = format.bitsPerPixel / 8;
        for (int x = 0; x < format.width; ++x) {
            const uchar* bgr = in + qint64{x} * step;
            pixels[x] = qRgb(bgr[2], bgr[1], bgr[0]);
        }
    }
    return image;
}

// An RLE8 frame drawn over the previous one (RLE8 frames may change only some pixels). Pixels
// outside the frame are dropped; data that ends early ends the frame.
QImage DecodeRle8Frame(const Format& format, Span data, const QImage& previous) {
    QImage image = previous.copy();
    int x = 0;
    int row = 0;
    qint64 pos = 0;
    auto put = [&](uchar index) {
        if (x < format.width && row < format.height) {
            image.scanLine(DestinationRow(format, row))[x] = index;
        }
        ++x;
    };
    while (data.size - pos >= 2 && row < format.height) {
        const uchar count = data.data[pos];
        const uchar value = data.data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < format.width; ++i) {
                put(value);
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++row;
        } else if (value == 1) {  // end of frame
            break;
        } else if (value == 2) {  // move right and up
            if (data.size - pos < 2) {
                break;
            }
            x += data.data[pos];
            row += data.data[pos + 1];
            pos += 2;
        } else {  // `value` bytes as they stand, padded to an even count
            if (data.size - pos < value) {
                break;
            }
            for (int i = 0; i < value; ++i) {
                put(data.data[pos + i]);
            }
            pos += value + (value & 1);
        }
    }
    return image;
}

int FrameIntervalMs(const Headers& headers) {
    double microseconds = 100000.0;
    if (headers.scale > 0 && headers.rate > 0) {
        microseconds = 1e6 * headers.scale / headers.rate;
    } else if (headers.microSecondsPerFrame > 0) {
        microseconds = headers.microSecondsPerFrame;
    }
    return static_cast<int>(std::clamp(std::lround(microseconds / 1000.0), 10L, 2000L));
}

}  // namespace

std::optional<AviClip> ReadAviClip(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    if (bytes.size() < 12 || !IsFourCc(data, "RIFF") || !IsFourCc(data + 8, "AVI ")) {
        return std::nullopt;
    }
    const qint64 riffEnd = 8 + qint64{U32(data + 4)};
    if (riffEnd > bytes.size() || riffEnd < 12) {
        return std::nullopt;  // truncated
    }

    Headers headers;
    Span movie;
    const bool ok = ForEachChunk(Span{data + 12, riffEnd - 12}, [&](const uchar* id, Span chunk) {
        if (IsList(id, chunk, "hdrl")) {
            return ReadHeaderList(ListChildren(chunk), headers);
        }
        if (IsList(id, chunk, "movi") && movie.data == nullptr) {
            movie = ListChildren(chunk);
        }
        return true;
    });
    if (!ok || !headers.haveMainHeader || headers.videoStream < 0 || movie.data == nullptr) {
        return std::nullopt;
    }
    const std::optional<Format> format = ReadFormat(headers.format);
    if (!format) {
        return std::nullopt;
    }
    std::vector<Span> frameChunks;
    if (!CollectFrames(movie, headers.videoStream, false, frameChunks) || frameChunks.empty()) {
        return std::nullopt;
    }
    const qint64 frameBytes = format->bitsPerPixel == 8
                                  ? ((qint64{format->width} + 3) & ~qint64{3}) * format->height
                                  : qint64{format->width} * format->height * 4;
    if (frameBytes * static_cast<qint64>(frameChunks.size()) > kMaxClipDecodedBytes) {
        return std::nullopt;
    }

    AviClip clip;
    clip.size = QSize(format->width, format->height);
    clip.frameIntervalMs = FrameIntervalMs(headers);
    clip.frames.reserve(frameChunks.size());
    for (const Span& chunk : frameChunks) {
        if (chunk.size == 0) {  // a dropped frame: the previous one stays on screen
            if (!clip.frames.empty()) {
                clip.frames.push_back(clip.frames.back());
            }
            continue;
        }
        if (format->compression == kCompressionRle8) {
            QImage start = clip.frames.empty() ? QImage() : clip.frames.back();
            if (start.isNull()) {
                start = QImage(clip.size, QImage::Format_Indexed8);
                if (start.isNull()) {
                    return std::nullopt;
                }
                start.setColorTable(format->colours);
                start.fill(0);
            }
            clip.frames.push_back(DecodeRle8Frame(*format, chunk, start));
            continue;
        }
        std::optional<QImage> frame = DecodeRgbFrame(*format, chunk);
        if (!frame) {
            return std::nullopt;
        }
        clip.frames.push_back(std::move(*frame));
    }
    if (clip.frames.empty()) {
        return std::nullopt;
    }
    return clip;
}

std::optional<AviClip> LoadAviClip(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;  // no clip asked for; QFile would warn on the empty name
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxClipFileBytes) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxClipFileBytes + 1);
    if (bytes.size() > kMaxClipFileBytes) {
        return std::nullopt;
    }
    return ReadAviClip(bytes);
}

}  // namespace ui
