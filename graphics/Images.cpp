// PNG decoding and resampling of images, with cairo.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "CairoImage.h"

namespace graphics {
namespace {

struct ByteReader {
  const unsigned char* data;
  std::size_t size;
  std::size_t position;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length) {
  auto* reader = static_cast<ByteReader*>(closure);
  if (length > reader->size - reader->position) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, reader->data + reader->position, length);
  reader->position += length;
  return CAIRO_STATUS_SUCCESS;
}

bool Usable(cairo_surface_t* surface) {
  return surface != nullptr && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::shared_ptr<const Image> DecodePng(const unsigned char* data, std::size_t size, int scale) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (data == nullptr || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
    return nullptr;
  ByteReader reader{data, size, 0};
  cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(ReadBytes, &reader);
  if (!Usable(decoded)) {
    cairo_surface_destroy(decoded);
    return nullptr;
  }
  // Every image is drawn as ARGB32, whatever the PNG's own format (cairo
  // gives RGB24 for PNGs without alpha and A8 for grey ones).
  cairo_surface_t* argb = decoded;
  if (cairo_image_surface_get_format(decoded) != CAIRO_FORMAT_ARGB32) {
    argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(decoded),
                                      cairo_image_surface_get_height(decoded));
    cairo_t* cr = cairo_create(argb);
    cairo_set_source_surface(cr, decoded, 0.0, 0.0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(decoded);
    if (!Usable(argb)) {
      cairo_surface_destroy(argb);
      return nullptr;
    }
  }
  return std::make_shared<CairoImage>(argb, scale < 1 ? 1 : scale);
}

std::shared_ptr<const Image> ResampleImage(const Image& image, int scale) {
  const auto* source = dynamic_cast<const CairoImage*>(&image);
  if (source == nullptr || scale < 1 || image.Scale() < 1) return nullptr;
  if (image.WidthPixels() < 1 || image.HeightPixels() < 1) return nullptr;
  const double factor = static_cast<double>(scale) / image.Scale();
  const int width = std::max(1, static_cast<int>(std::lround(image.WidthPixels() * factor)));
  const int height = std::max(1, static_cast<int>(std::lround(image.HeightPixels() * factor)));
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (!Usable(target)) {
    cairo_surface_destroy(target);
    return nullptr;
  }
  cairo_t* cr = cairo_create(target);
  cairo_scale(cr, static_cast<double>(width) / image.WidthPixels(),
              static_cast<double>(height) / image.HeightPixels());
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source->CairoSurface());
  // Padding keeps the edge pixels from being blended with transparency.
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  cairo_set_source(cr, pattern);
  cairo_pattern_destroy(pattern);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  if (!ok) {
    cairo_surface_destroy(target);
    return nullptr;
  }
  return std::make_shared<CairoImage>(target, scale);
}

}  // namespace graphics
