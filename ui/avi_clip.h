// A clip for the animation control: a RIFF AVI whose first video stream holds uncompressed 8-bit
// (palette), 24- or 32-bit frames, or RLE8 frames. Other streams (sound) are skipped. The file
// is untrusted: anything truncated, inconsistent or too large gives no clip rather than a crash
// or a large allocation.
#ifndef UI_AVI_CLIP_H_
#define UI_AVI_CLIP_H_

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

namespace ui {

struct AviClip {
    QSize size;                  // frame size in pixels
    int frameIntervalMs = 0;     // from the stream's rate, else the main header; 10 to 2000
    std::vector<QImage> frames;  // decoded, in play order; Indexed8 or RGB32; never empty
};

// Limits beyond which a clip is refused.
inline constexpr qint64 kMaxClipFileBytes = 16 * 1024 * 1024;
inline constexpr int kMaxClipSide = 2048;  // pixels, width and height
inline constexpr int kMaxClipFrames = 4096;
inline constexpr qint64 kMaxClipDecodedBytes = 64 * 1024 * 1024;  // all decoded frames together

// Decodes every frame of the clip in `bytes`; nullopt when the file is not such a clip.
std::optional<AviClip> ReadAviClip(const QByteArray& bytes);

// Reads and decodes the clip file; nullopt when it is missing, unreadable, larger than
// kMaxClipFileBytes or not such a clip.
std::optional<AviClip> LoadAviClip(const QString& path);

}  // namespace ui

#endif  // UI_AVI_CLIP_H_
