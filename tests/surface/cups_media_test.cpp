// SPDX-License-Identifier: MIT
#include "surface/cups/cups_media.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace henon {
namespace {

// A paper in hundredths of a millimetre: width, length, then margins left, top, right, bottom;
// a negative margin is one the queue leaves out.
struct Media {
  int w, l, left = 0, top = 0, right = 0, bottom = 0;
};

using Ipp = std::unique_ptr<ipp_t, void (*)(ipp_t*)>;

Ipp mediaCol(const Media& m) {
  Ipp col(ippNew(), ippDelete), size(ippNew(), ippDelete);
  ippAddInteger(size.get(), IPP_TAG_ZERO, IPP_TAG_INTEGER, "x-dimension", m.w);
  ippAddInteger(size.get(), IPP_TAG_ZERO, IPP_TAG_INTEGER, "y-dimension", m.l);
  ippAddCollection(col.get(), IPP_TAG_ZERO, "media-size", size.get());
  const std::pair<const char*, int> margins[] = {{"media-left-margin", m.left},
                                                 {"media-top-margin", m.top},
                                                 {"media-right-margin", m.right},
                                                 {"media-bottom-margin", m.bottom}};
  for (const auto& [name, v] : margins)
    if (v >= 0) ippAddInteger(col.get(), IPP_TAG_ZERO, IPP_TAG_INTEGER, name, v);
  return col;
}

constexpr Media kA4{21000, 29700}, kA4Bottom{21000, 29700, 0, 0, 0, 1270};
constexpr Media kLetter{21590, 27940, 635, 635, 635, 1270};

TEST(CupsMedia, MarginsAreThoseOfThePaperTheQueuePrintsOn) {
  struct Case {
    const char* what;
    std::vector<Media> defaults, ready;
    const char* name;
    CupsPaper want;
  } cases[] = {
      // A PDF queue: its default has no margins, whatever the ready list holds.
      {"default", {kA4}, {kA4Bottom}, "iso_a4_210x297mm", {210, 297, 0, 0, 0, 0}},
      {"default margins",
       {{21000, 29700, 500, 1000, 1500, 2000}},
       {},
       "A4",
       {210, 297, 5, 10, 15, 20}},
      {"left out", {{21000, 29700, -1, 300, -1, -1}}, {}, nullptr, {210, 297, 0, 3, 0, 0}},
      {"ready of that size", {}, {kLetter, kA4Bottom}, "A4", {210, 297, 0, 0, 0, 12.7}},
      {"first ready", {}, {kLetter, kA4}, nullptr, {215.9, 279.4, 6.35, 6.35, 6.35, 12.7}},
      {"default with no size",
       {{0, 0, 100, 100, 100, 100}},
       {kA4},
       nullptr,
       {210, 297, 0, 0, 0, 0}},
      {"named only", {}, {}, "na_letter_8.5x11in", {215.9, 279.4, 0, 0, 0, 0}},
      {"nothing", {}, {}, nullptr, {210, 297, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Ipp printer(ippNew(), ippDelete);
    std::vector<Ipp> held;
    const auto add = [&](const char* name, const std::vector<Media>& list) {
      std::vector<const ipp_t*> cols;
      for (const Media& m : list) cols.push_back(held.emplace_back(mediaCol(m)).get());
      if (!cols.empty())
        ippAddCollections(printer.get(), IPP_TAG_PRINTER, name, static_cast<int>(cols.size()),
                          cols.data());
    };
    add("media-col-default", c.defaults);
    add("media-col-ready", c.ready);
    const CupsPaper got = queuePaper(
        ippFindAttribute(printer.get(), "media-col-default", IPP_TAG_BEGIN_COLLECTION),
        ippFindAttribute(printer.get(), "media-col-ready", IPP_TAG_BEGIN_COLLECTION), c.name);
    const double want[] = {c.want.widthMm, c.want.heightMm, c.want.leftMm,
                           c.want.topMm,   c.want.rightMm,  c.want.bottomMm};
    const double seen[] = {got.widthMm, got.heightMm, got.leftMm,
                           got.topMm,   got.rightMm,  got.bottomMm};
    for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(seen[i], want[i]) << c.what << " " << i;
  }
}

}  // namespace
}  // namespace henon
