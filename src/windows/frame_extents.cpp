// SPDX-License-Identifier: MIT
#include "windows/frame_extents.h"

#include <QGuiApplication>
#include <QWidget>
#include <chrono>
#include <optional>
#include <thread>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#endif

namespace henon {
namespace {

#if QT_CONFIG(xcb)

struct FreeReply {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Holds no 32-bit values when the property is missing or of another form.
std::vector<std::uint32_t> cardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property,
                                     xcb_atom_t type, std::uint32_t count) {
  Reply<xcb_get_property_reply_t> r(
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, count), nullptr));
  if (!r || r->type != type || r->format != 32) return {};
  const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
  return {v, v + xcb_get_property_value_length(r.get()) / 4};
}

// A window manager is running and will tell a window's frame before mapping it.
bool managerAnswersRequests(xcb_connection_t* c, xcb_window_t root, xcb_atom_t request) {
  const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
  if (cardinals(c, root, check, XCB_ATOM_WINDOW, 1).empty()) return false;
  for (std::uint32_t a : cardinals(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 1024))
    if (a == request) return true;
  return false;
}

// Asked for a window of our own: the manager's answer comes with notifications that would
// otherwise undo the geometry given to the real window in the meantime.
std::optional<QMargins> askManager(xcb_connection_t* c, xcb_window_t root) {
  const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
  const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
  if (request == XCB_ATOM_NONE || !managerAnswersRequests(c, root, request)) return QMargins();
  const xcb_window_t probe = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 100, 100, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
  const xcb_atom_t normal = atom(c, "_NET_WM_WINDOW_TYPE_NORMAL");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, probe, atom(c, "_NET_WM_WINDOW_TYPE"),
                      XCB_ATOM_ATOM, 32, 1, &normal);
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = probe;
  ev.type = request;
  xcb_send_event(c, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&ev));
  xcb_flush(c);
  std::optional<QMargins> answer;
  // The manager answers at once; one that does not is not waited for again.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (!answer && std::chrono::steady_clock::now() < deadline) {
    auto v = cardinals(c, probe, extents, XCB_ATOM_CARDINAL, 4);
    if (v.size() == 4) {
      answer = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                        static_cast<int>(v[3]));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  xcb_destroy_window(c, probe);
  xcb_flush(c);
  return answer;
}

#endif

}  // namespace

QMarginsF frameExtents(QWidget& window) {
  window.winId();
#if QT_CONFIG(xcb)
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  // The offscreen platform offers the interface without a connection.
  if (xcb_connection_t* c = x11 ? x11->connection() : nullptr) {
    // Every window here wears the same decorations: the first answer serves them all.
    static std::optional<QMargins> learned;
    if (!learned) {
      const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
      learned = askManager(c, root).value_or(QMargins());
    }
    // The manager counts device pixels.
    return QMarginsF(*learned) / window.devicePixelRatioF();
  }
#endif
  // Elsewhere the toolkit may draw the decorations itself and know them once the window exists.
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  return QMarginsF(client.left() - frame.left(), client.top() - frame.top(),
                   frame.right() - client.right(), frame.bottom() - client.bottom());
}

}  // namespace henon
