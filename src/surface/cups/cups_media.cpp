// SPDX-License-Identifier: MIT
#include "surface/cups/cups_media.h"

#include <cups/cups.h>

namespace henon {

namespace {

int member(ipp_t* col, const char* name) {
  ipp_attribute_t* a = ippFindAttribute(col, name, IPP_TAG_INTEGER);
  return a ? ippGetInteger(a, 0) : 0;
}

bool sizeOf(ipp_t* col, int& width, int& length) {
  ipp_attribute_t* size =
      col ? ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION) : nullptr;
  ipp_t* dims = size ? ippGetCollection(size, 0) : nullptr;
  width = dims ? member(dims, "x-dimension") : 0;
  length = dims ? member(dims, "y-dimension") : 0;
  return width > 0 && length > 0;
}

const pwg_media_t* named(const char* name) {
  if (!name || !*name) return nullptr;
  if (const pwg_media_t* pwg = pwgMediaForPWG(name)) return pwg;
  if (const pwg_media_t* ppd = pwgMediaForPPD(name)) return ppd;
  return pwgMediaForLegacy(name);
}

// Sizes a queue reports and sizes a name stands for may differ by rounding.
bool sameSize(int a, int b) {
  return a - b < 100 && b - a < 100;
}

}  // namespace

CupsPaper queuePaper(ipp_attribute_t* colDefault, ipp_attribute_t* colReady,
                     const char* mediaName) {
  CupsPaper paper;
  const pwg_media_t* want = named(mediaName);
  ipp_t* col = nullptr;
  int width = 0, length = 0;
  if (colDefault && sizeOf(ippGetCollection(colDefault, 0), width, length))
    col = ippGetCollection(colDefault, 0);
  for (int i = 0; !col && colReady && i < ippGetCount(colReady); ++i) {
    ipp_t* ready = ippGetCollection(colReady, i);
    if (sizeOf(ready, width, length) &&
        (!want || (sameSize(width, want->width) && sameSize(length, want->length))))
      col = ready;
  }
  if (col) {
    paper.widthMm = width / 100.0;
    paper.heightMm = length / 100.0;
    paper.leftMm = member(col, "media-left-margin") / 100.0;
    paper.topMm = member(col, "media-top-margin") / 100.0;
    paper.rightMm = member(col, "media-right-margin") / 100.0;
    paper.bottomMm = member(col, "media-bottom-margin") / 100.0;
  } else if (want && want->width > 0 && want->length > 0) {
    paper.widthMm = want->width / 100.0;
    paper.heightMm = want->length / 100.0;
  }
  return paper;
}

}  // namespace henon
