// SPDX-License-Identifier: MIT
#include "windows/frame_extents.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTimer>
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

// In device pixels. Every window here wears the same decorations: the first answer serves them
// all, until a shown window tells better.
std::optional<QMargins> learned;

#if QT_CONFIG(xcb)

xcb_connection_t* x11() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  // The offscreen platform offers the interface without a connection.
  return x11 ? x11->connection() : nullptr;
}

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

// A window manager is running that offers this part of the desktop conventions.
bool managerSupports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t feature) {
  const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
  if (cardinals(c, root, check, XCB_ATOM_WINDOW, 1).empty()) return false;
  for (std::uint32_t a : cardinals(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 1024))
    if (a == feature) return true;
  return false;
}

// Asked for a window of our own: the manager's answer comes with notifications that would
// otherwise undo the geometry given to the real window in the meantime.
std::optional<QMargins> askManager(xcb_connection_t* c, xcb_window_t root) {
  const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
  const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
  if (request == XCB_ATOM_NONE || !managerSupports(c, root, request)) return QMargins();
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

// The frame round a window the manager took in: the extents it published, or, from a manager
// that publishes none, the frame window it put the window in, the ancestor just below the root.
// Device pixels; none until the manager has laid the frame out.
QMargins decorations(xcb_connection_t* c, xcb_window_t window) {
  const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
  auto v = cardinals(c, window, extents, XCB_ATOM_CARDINAL, 4);
  if (v.size() == 4)
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                    static_cast<int>(v[3]));
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  if (managerSupports(c, root, extents)) return QMargins();
  xcb_window_t frame = window;
  for (;;) {
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, frame), nullptr));
    if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) break;
    frame = tree->parent;
  }
  if (frame == window) return QMargins();
  Reply<xcb_get_geometry_reply_t> outer(
      xcb_get_geometry_reply(c, xcb_get_geometry(c, frame), nullptr));
  Reply<xcb_get_geometry_reply_t> inner(
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
  Reply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, window, frame, 0, 0), nullptr));
  if (!outer || !inner || !at) return QMargins();
  const int border = outer->border_width;
  const int left = border + at->dst_x;
  const int top = border + at->dst_y;
  const QMargins m(left, top, outer->width + 2 * border - left - inner->width,
                   outer->height + 2 * border - top - inner->height);
  // A frame smaller than the window is one not yet laid out.
  return m.left() < 0 || m.top() < 0 || m.right() < 0 || m.bottom() < 0 ? QMargins() : m;
}

// Qt selects structure and property changes on its top-level windows; these are the ones that
// tell of a new frame, or of one laid out.
class FrameWatch : public QAbstractNativeEventFilter {
 public:
  FrameWatch(xcb_connection_t* c, std::function<void(QWidget&)> changed)
      : extents_(atom(c, "_NET_FRAME_EXTENTS")), changed_(std::move(changed)) {}

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    xcb_window_t window = XCB_WINDOW_NONE;
    switch (event->response_type & 0x7f) {
      case XCB_REPARENT_NOTIFY:
        window = reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window;
        break;
      case XCB_CONFIGURE_NOTIFY:
        window = reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window;
        break;
      case XCB_PROPERTY_NOTIFY: {
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (p->atom == extents_) window = p->window;
        break;
      }
      default:
        break;
    }
    // After Qt has seen the event itself.
    if (QWidget* w = window != XCB_WINDOW_NONE ? QWidget::find(window) : nullptr)
      QTimer::singleShot(0, w, [this, w] { changed_(*w); });
    return false;
  }

 private:
  xcb_atom_t extents_;
  std::function<void(QWidget&)> changed_;
};

#endif

// Toolkits that draw the decorations themselves know them once the window exists or is shown.
QMarginsF ownFrame(QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  return QMarginsF(client.left() - frame.left(), client.top() - frame.top(),
                   frame.right() - client.right(), frame.bottom() - client.bottom());
}

}  // namespace

QMarginsF frameExtents(QWidget& window) {
  window.winId();
  const double ratio = window.devicePixelRatioF();
#if QT_CONFIG(xcb)
  if (xcb_connection_t* c = x11(); c && !learned) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    learned = askManager(c, root).value_or(QMargins());
  }
#endif
  if (learned) return QMarginsF(*learned) / ratio;
  return ownFrame(window);
}

QMarginsF shownFrameExtents(QWidget& window) {
#if QT_CONFIG(xcb)
  if (xcb_connection_t* c = x11())
    return QMarginsF(decorations(c, static_cast<xcb_window_t>(window.winId()))) /
           window.devicePixelRatioF();
#endif
  return ownFrame(window);
}

void learnFrameExtents(QWidget& shown, QMarginsF frame) {
  learned = (frame * shown.devicePixelRatioF()).toMargins();
}

void watchFrames(std::function<void(QWidget&)> changed) {
#if QT_CONFIG(xcb)
  static bool installed = false;
  xcb_connection_t* c = x11();
  if (installed || !c) return;
  installed = true;
  // Lives as long as the program.
  qApp->installNativeEventFilter(new FrameWatch(c, std::move(changed)));
#else
  (void)changed;
#endif
}

}  // namespace henon
