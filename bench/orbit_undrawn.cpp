// SPDX-License-Identifier: MIT
#include "orbit_undrawn.h"

#include <algorithm>
#include <cstdint>

#include "model/orbit.h"
#include "model/orbit_steps.h"
#include "model/vector_state.h"

namespace henon {
namespace {

struct Undrawn {
  template <bool kSafeView>
  void put(const orbit::Loop&, std::int64_t, MapStep, Point) {}
  std::size_t staged() const { return 0; }
};

}  // namespace

void runOrbitUndrawn(MapParams& p, const CutOffLimits& limits, const PlotFrame& frame,
                     Dialogs& dialogs) {
  constexpr std::int64_t kBatch = 4096;  // as many steps as plotOrbit takes between batches
  const orbit::Loop c(p, limits, frame);
  const bool safeView = c.viewIsSafe();
  orbit::Steps s{p.x0, p.y0, 1, 0, false};
  while (s.next <= p.N) {
    const std::int64_t last = std::min<std::int64_t>(p.N, s.next + kBatch - 1);
    cleanVectorState();
    s = orbit::takeSteps(safeView, c, s, last, Undrawn{});
    if (s.escaped) {
      const auto completed = static_cast<std::int32_t>(s.next - 1);
      dialogs.MsgBox(overflowMessage(completed));
      p.N = completed;
      return;
    }
  }
}

}  // namespace henon
