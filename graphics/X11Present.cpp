// Copying the drawn pixels to the window: through a shared-memory image when
// the server offers it (a local server), else with XPutImage.
#include "X11Window.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

#include "X11ErrorTrap.h"

namespace graphics {
namespace {

// The position of a channel in a visual's pixel and its largest value.
struct Channel {
  int shift = 0;
  unsigned long max = 0;
  explicit Channel(unsigned long mask) {
    if (mask == 0) return;
    while ((mask & 1ul) == 0) {
      mask >>= 1;
      ++shift;
    }
    max = mask;
  }
  unsigned long Place(std::uint32_t value8) const { return ((value8 * max + 127) / 255) << shift; }
};

bool HostIsLittleEndian() {
  const std::uint32_t one = 1;
  unsigned char first;
  std::memcpy(&first, &one, 1);
  return first == 1;
}

}  // namespace

void X11Window::ReleaseImage() {
  if (mImage == nullptr) return;
  if (mImageShared) {
    XShmDetach(mDisplay, &mShm);
    XSync(mDisplay, False);
    mImage->data = nullptr;  // not XDestroyImage's to free
    XDestroyImage(mImage);
    shmdt(mShm.shmaddr);
  } else {
    XDestroyImage(mImage);  // frees the pixels, allocated with malloc
  }
  mImage = nullptr;
  mImageShared = false;
  mShm = XShmSegmentInfo{};
}

bool X11Window::EnsureImage(int width, int height) {
  if (mImage != nullptr && mImage->width == width && mImage->height == height) return true;
  ReleaseImage();
  const auto w = static_cast<unsigned>(width), h = static_cast<unsigned>(height);
  if (mShmAvailable) {
    XImage* image =
        XShmCreateImage(mDisplay, mVisual, static_cast<unsigned>(mDepth), ZPixmap, nullptr, &mShm, w, h);
    if (image != nullptr) {
      const std::size_t bytes = static_cast<std::size_t>(image->bytes_per_line) * h;
      mShm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
      void* address = mShm.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(mShm.shmid, nullptr, 0);
      if (address != reinterpret_cast<void*>(-1)) {
        mShm.shmaddr = image->data = static_cast<char*>(address);
        mShm.readOnly = False;
        X11ErrorTrap trap(mDisplay);
        const bool attached = XShmAttach(mDisplay, &mShm) != False && !trap.Failed();
        // Marked for removal now: it goes when both sides have detached,
        // even if we never get to.
        shmctl(mShm.shmid, IPC_RMID, nullptr);
        if (attached) {
          mImage = image;
          mImageShared = true;
          return true;
        }
        shmdt(address);
      } else if (mShm.shmid >= 0) {
        shmctl(mShm.shmid, IPC_RMID, nullptr);
      }
      image->data = nullptr;
      XDestroyImage(image);
      mShm = XShmSegmentInfo{};
    }
    // A remote server (or one without room): plain requests from now on.
    mShmAvailable = false;
  }
  XImage* image =
      XCreateImage(mDisplay, mVisual, static_cast<unsigned>(mDepth), ZPixmap, 0, nullptr, w, h, 32, 0);
  if (image == nullptr) return false;
  image->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * h));
  if (image->data == nullptr) {
    XDestroyImage(image);
    return false;
  }
  mImage = image;
  return true;
}

void X11Window::CopyPixels(const std::uint32_t* argb, int width, int height, int strideBytes) {
  const auto* source = reinterpret_cast<const unsigned char*>(argb);
  const bool sameLayout = mImage->bits_per_pixel == 32 && mImage->red_mask == 0xff0000 &&
                          mImage->green_mask == 0xff00 && mImage->blue_mask == 0xff &&
                          (mImage->byte_order == LSBFirst) == HostIsLittleEndian();
  if (sameLayout) {
    // Premultiplied pixels are the colour already laid over black; the
    // alpha byte lands in the unused padding byte.
    for (int y = 0; y < height; ++y) {
      std::memcpy(mImage->data + static_cast<std::ptrdiff_t>(y) * mImage->bytes_per_line,
                  source + static_cast<std::ptrdiff_t>(y) * strideBytes, static_cast<std::size_t>(width) * 4);
    }
    return;
  }
  const Channel red(mImage->red_mask), green(mImage->green_mask), blue(mImage->blue_mask);
  for (int y = 0; y < height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(source + static_cast<std::ptrdiff_t>(y) * strideBytes);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = row[x];
      XPutPixel(mImage, x, y,
                red.Place((p >> 16) & 0xff) | green.Place((p >> 8) & 0xff) | blue.Place(p & 0xff));
    }
  }
}

bool X11Window::EnsureFrame(int width, int height) {
  if (mFrame != 0 && mFrameWidth == width && mFrameHeight == height) return true;
  const Pixmap previous = mFrame;
  mFrame = XCreatePixmap(mDisplay, mWindow, static_cast<unsigned>(width), static_cast<unsigned>(height),
                         static_cast<unsigned>(mDepth));
  mFrameWidth = width;
  mFrameHeight = height;
  // The window lets go of the old background before it is freed.
  XSetWindowBackgroundPixmap(mDisplay, mWindow, mFrame);
  if (previous != 0) XFreePixmap(mDisplay, previous);
  return mFrame != 0;
}

void X11Window::Present(const std::uint32_t* argb, int widthPixels, int heightPixels, int strideBytes) {
  if (argb == nullptr || widthPixels < 1 || heightPixels < 1 || mDestroyed) return;
  if (strideBytes / 4 < widthPixels) return;
  X11ErrorTrap trap(mDisplay);
  if (!EnsureImage(widthPixels, heightPixels)) return;
  CopyPixels(argb, widthPixels, heightPixels, strideBytes);
  const auto w = static_cast<unsigned>(widthPixels), h = static_cast<unsigned>(heightPixels);
  const Drawable target = EnsureFrame(widthPixels, heightPixels) ? mFrame : mWindow;
  if (mImageShared) {
    XShmPutImage(mDisplay, target, mGc, mImage, 0, 0, 0, 0, w, h, False);
  } else {
    XPutImage(mDisplay, target, mGc, mImage, 0, 0, 0, 0, w, h);
  }
  // The background is the frame: clearing the window shows it.
  if (target == mFrame) XClearWindow(mDisplay, mWindow);
  // The trap's closing sync also means the server has read the shared
  // pixels before the next call writes them again.
}

}  // namespace graphics
