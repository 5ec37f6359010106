// The drawing surface of an editor window and the decoded images and fonts it
// draws with. Coordinates are editor units: the surface's scale maps them to
// pixels. The cairo implementation is CreateImageSurface; the editor
// framework sees only these interfaces, so it can be driven without pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace graphics {

// A colour with components 0 ... 1, not premultiplied.
struct Rgba {
  double r = 0.0, g = 0.0, b = 0.0, a = 1.0;
};

struct RectF {
  float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
  float Width() const { return right - left; }
  float Height() const { return bottom - top; }
};

enum class HAlign { Near, Center, Far };
enum class VAlign { Top, Middle, Bottom };

struct TextFormat {
  std::string fontId = "Roboto-Regular";  // as registered with RegisterFont
  float size = 14.0f;                     // editor units
  Rgba color;
  HAlign hAlign = HAlign::Center;
  VAlign vAlign = VAlign::Middle;
  float angleDegrees = 0.0f;
};

// A decoded bitmap: pixels in ARGB (premultiplied, cairo's format) and the
// scale it was made for (2: two pixels per editor unit).
class Image {
 public:
  virtual ~Image() = default;
  virtual int WidthPixels() const = 0;
  virtual int HeightPixels() const = 0;
  virtual int Scale() const = 0;
};

// Decodes PNG bytes; null when they are not a PNG.
std::shared_ptr<const Image> DecodePng(const unsigned char* data, std::size_t size, int scale);
// The image resampled (smoothly) from its scale to another; null on failure.
std::shared_ptr<const Image> ResampleImage(const Image& image, int scale);

// Registers a TrueType face from bytes under an id, process-wide (guarded by
// its own lock); the bytes must outlive the process (embedded resources).
// False when the bytes are not a font.
bool RegisterFont(const std::string& id, const unsigned char* data, std::size_t size);
bool FontRegistered(const std::string& id);

// What the editor draws on. Paths are built with the path calls and then
// filled or stroked; `weight` is the blend weight (0 ... 1) of the operation.
class DrawTarget {
 public:
  virtual ~DrawTarget() = default;

  // Editor units to pixels.
  virtual void SetScale(double scale) = 0;
  virtual double GetScale() const = 0;

  // Clipping to a rectangle, nested.
  virtual void PushClip(const RectF& rect) = 0;
  virtual void PopClip() = 0;

  // Paths.
  virtual void BeginPath() = 0;
  virtual void MoveTo(float x, float y) = 0;
  virtual void LineTo(float x, float y) = 0;
  // Arc around (cx, cy), clockwise from `fromDegrees` to `toDegrees`, 0 at
  // 12 o'clock.
  virtual void Arc(float cx, float cy, float radius, float fromDegrees, float toDegrees) = 0;
  virtual void ClosePath() = 0;
  virtual void Rectangle(const RectF& rect) = 0;
  // Corner radii: top-left, top-right, bottom-right, bottom-left.
  virtual void RoundedRectangle(const RectF& rect, const float (&radii)[4]) = 0;
  virtual void Ellipse(float cx, float cy, float rx, float ry, float angleDegrees) = 0;
  virtual void Fill(const Rgba& color, float weight) = 0;
  // dashed: a dotted line (1 unit on, 1 off).
  virtual void Stroke(const Rgba& color, float thickness, float weight, bool dashed) = 0;

  // Draws the part of the image that starts at (srcX, srcY), in editor units
  // of the image, into dst at the image's own size (no stretching).
  virtual void DrawImage(const Image& image, const RectF& dst, float srcX, float srcY, float weight) = 0;
  // The whole image stretched into dst.
  virtual void DrawImageFitted(const Image& image, const RectF& dst, float weight) = 0;
  // The whole image centred on (cx, cy), rotated.
  virtual void DrawImageRotated(const Image& image, float cx, float cy, float angleDegrees, float weight) = 0;

  // Text inside rect, aligned by the format. Nothing for an empty text or an
  // unregistered font.
  virtual void DrawText(const TextFormat& format, const std::string& text, const RectF& rect) = 0;
  // The width and height the text takes, in editor units.
  virtual RectF MeasureText(const TextFormat& format, const std::string& text) = 0;
};

// A draw target with pixels behind it, which a window presents or a file
// keeps.
class Surface : public DrawTarget {
 public:
  virtual void ResizePixels(int widthPixels, int heightPixels) = 0;
  virtual int WidthPixels() const = 0;
  virtual int HeightPixels() const = 0;
  // Premultiplied ARGB, 32 bits a pixel, rows StrideBytes apart.
  virtual const std::uint32_t* Pixels() const = 0;
  virtual int StrideBytes() const = 0;
  // Clears everything to transparent black.
  virtual void Clear() = 0;
  virtual bool WritePng(const std::string& path) const = 0;
};

// The cairo image surface; null when cairo cannot make one.
std::unique_ptr<Surface> CreateImageSurface(int widthPixels, int heightPixels);

}  // namespace graphics
