// SPDX-License-Identifier: MIT
#include "platform/x11/x11_window_system.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>
#endif

namespace henon {

#if QT_CONFIG(xcb)
namespace {

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

xcb_window_t rootOf(xcb_connection_t* c) {
  return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
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
std::optional<QMargins> askManager(xcb_connection_t* c, xcb_window_t root, xcb_atom_t extents) {
  const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
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
QMargins decorations(xcb_connection_t* c, xcb_window_t window, xcb_atom_t extents) {
  auto v = cardinals(c, window, extents, XCB_ATOM_CARDINAL, 4);
  if (v.size() == 4)
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                    static_cast<int>(v[3]));
  if (managerSupports(c, rootOf(c), extents)) return QMargins();
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

// Sees a message of ours come back from the server: everything the server sent before it has
// been read by then.
class WakeEcho final : public InputWake, public QAbstractNativeEventFilter {
 public:
  WakeEcho(xcb_window_t window, xcb_atom_t type) : window_(window), type_(type) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~WakeEcho() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
  WakeEcho(const WakeEcho&) = delete;
  WakeEcho& operator=(const WakeEcho&) = delete;

  bool back() const override { return back_; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* e = static_cast<const xcb_generic_event_t*>(message);
    if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* m = static_cast<const xcb_client_message_event_t*>(message);
    if (m->window == window_ && m->type == type_) back_ = true;
    return false;
  }

 private:
  xcb_window_t window_;
  xcb_atom_t type_;
  bool back_ = false;
};

class X11WindowSystem final : public WindowSystem, public QAbstractNativeEventFilter {
 public:
  explicit X11WindowSystem(xcb_connection_t* c)
      : c_(c), extents_(atom(c, "_NET_FRAME_EXTENTS")), wakeType_(atom(c, "MANAGER")) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~X11WindowSystem() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

  QMarginsF shownFrameExtents(QWidget& window) override {
    return QMarginsF(decorations(c_, static_cast<xcb_window_t>(window.winId()), extents_)) /
           window.devicePixelRatioF();
  }

  // Qt's X11 binding keeps the clicks and keys it held back in a queue of their own, which it
  // reads again only when the server sends something else: a message to ourselves has it read.
  std::unique_ptr<InputWake> wakeHeldInput() override {
    // A window of ours that exists on the server: asking another for its id would create it.
    const QWindowList windows = QGuiApplication::topLevelWindows();
    const auto shown =
        std::find_if(windows.begin(), windows.end(), [](QWindow* w) { return w->handle(); });
    if (shown == windows.end()) return nullptr;
    xcb_client_message_event_t wake{};
    wake.response_type = XCB_CLIENT_MESSAGE;
    wake.format = 32;
    wake.window = static_cast<xcb_window_t>((*shown)->winId());
    // A message type the binding passes over in silence.
    wake.type = wakeType_;
    auto echo = std::make_unique<WakeEcho>(wake.window, wake.type);
    xcb_send_event(c_, 0, wake.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&wake));
    xcb_flush(c_);
    return echo;
  }

  // Qt selects structure and property changes on its top-level windows; these are the ones that
  // tell of a new frame, or of one laid out.
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
      QTimer::singleShot(0, w, [this, w] { frameMayHaveChanged(*w); });
    return false;
  }

 protected:
  std::optional<QMargins> askFrame() override {
    return askManager(c_, rootOf(c_), extents_).value_or(QMargins());
  }

 private:
  xcb_connection_t* c_;
  xcb_atom_t extents_;
  xcb_atom_t wakeType_;
};

}  // namespace

std::unique_ptr<WindowSystem> openX11WindowSystem() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  // The offscreen platform offers the interface without a connection.
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return nullptr;
  return std::make_unique<X11WindowSystem>(c);
}

#else

std::unique_ptr<WindowSystem> openX11WindowSystem() {
  return nullptr;
}

#endif

}  // namespace henon
