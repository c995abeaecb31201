#include "support/x_session.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "support/required_programs.h"

namespace vantor::testing {
namespace {

// libX11 is reached at run time: the tests link only what the platform links, and SDL
// has the library loaded already.
struct Xlib {
    decltype(&XOpenDisplay) openDisplay = nullptr;
    decltype(&XCloseDisplay) closeDisplay = nullptr;
    decltype(&XSetFontPath) setFontPath = nullptr;
    decltype(&XDefaultRootWindow) defaultRootWindow = nullptr;
    decltype(&XCreateSimpleWindow) createSimpleWindow = nullptr;
    decltype(&XMapRaised) mapRaised = nullptr;
    decltype(&XSetInputFocus) setInputFocus = nullptr;
    decltype(&XInternAtom) internAtom = nullptr;
    decltype(&XSendEvent) sendEvent = nullptr;
    decltype(&XSync) sync = nullptr;
    decltype(&XSetErrorHandler) setErrorHandler = nullptr;
    decltype(&XSelectInput) selectInput = nullptr;
    decltype(&XPending) pending = nullptr;
    decltype(&XNextEvent) nextEvent = nullptr;
    decltype(&XStringToKeysym) stringToKeysym = nullptr;
    decltype(&XKeysymToKeycode) keysymToKeycode = nullptr;
    // From libXtst, which xdotool brings: presses a key as the keyboard does.
    Bool (*fakeKeyEvent)(Display*, unsigned int, Bool, unsigned long) = nullptr;
    bool loaded = false;
};

template <typename Function>
bool Bind(void* library, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(library, name));
    return *function != nullptr;
}

// X errors of our own requests are counted while a trap is set, instead of ending the test
// program; the handler in place before (SDL's, in a program showing a window) comes back
// afterwards.
Display* trappedDisplay = nullptr;
int errorsSeen = 0;

int CountError(Display* display, XErrorEvent*) {
    if (display == trappedDisplay) ++errorsSeen;
    return 0;
}

const Xlib& LoadXlib() {
    static Xlib xlib = [] {
        Xlib x;
        void* library = dlopen("libX11.so.6", RTLD_NOW);
        if (!library) return x;
        x.loaded = Bind(library, "XOpenDisplay", &x.openDisplay) &&
                   Bind(library, "XCloseDisplay", &x.closeDisplay) &&
                   Bind(library, "XSetFontPath", &x.setFontPath) &&
                   Bind(library, "XDefaultRootWindow", &x.defaultRootWindow) &&
                   Bind(library, "XCreateSimpleWindow", &x.createSimpleWindow) &&
                   Bind(library, "XMapRaised", &x.mapRaised) &&
                   Bind(library, "XSetInputFocus", &x.setInputFocus) &&
                   Bind(library, "XInternAtom", &x.internAtom) &&
                   Bind(library, "XSendEvent", &x.sendEvent) && Bind(library, "XSync", &x.sync) &&
                   Bind(library, "XSetErrorHandler", &x.setErrorHandler) &&
                   Bind(library, "XSelectInput", &x.selectInput) &&
                   Bind(library, "XPending", &x.pending) &&
                   Bind(library, "XNextEvent", &x.nextEvent) &&
                   Bind(library, "XStringToKeysym", &x.stringToKeysym) &&
                   Bind(library, "XKeysymToKeycode", &x.keysymToKeycode);
        if (void* test = dlopen("libXtst.so.6", RTLD_NOW))
            Bind(test, "XTestFakeKeyEvent", &x.fakeKeyEvent);
        return x;
    }();
    return xlib;
}

class ErrorTrap {
public:
    ErrorTrap(const Xlib& xlib, Display* display) : xlib_(xlib), display_(display) {
        trappedDisplay = display;
        errorsSeen = 0;
        previous_ = xlib_.setErrorHandler(CountError);
    }
    ~ErrorTrap() {
        xlib_.setErrorHandler(previous_);
        trappedDisplay = nullptr;
    }
    // Waits until the server has handled every request; false if one of ours failed.
    bool Finish() {
        xlib_.sync(display_, False);
        return errorsSeen == 0;
    }

private:
    const Xlib& xlib_;
    Display* display_;
    XErrorHandler previous_;
};

// One short-lived connection per request, so that no X state outlives a call.
class Connection {
public:
    explicit Connection(const std::string& display) : xlib_(LoadXlib()) {
        if (xlib_.loaded) display_ = xlib_.openDisplay(display.c_str());
    }
    ~Connection() {
        if (display_) xlib_.closeDisplay(display_);
    }
    Display* get() const { return display_; }
    const Xlib& x() const { return xlib_; }

private:
    const Xlib& xlib_;
    Display* display_ = nullptr;
};

// Starts Xvfb on one display; its process id, or -1.
pid_t LaunchServer(int display, const std::string& screen) {
    pid_t server = fork();
    if (server != 0) return server;
    // The server goes with the test program, however that ends.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    std::string name = ":" + std::to_string(display);
    // Without -noreset the server resets whenever its last client leaves, refusing
    // connections meanwhile: between two test steps, say. Without -r a key a test holds
    // down repeats once it has been down for most of a second, as on a loaded machine a
    // hold until the program has seen the key may be, and the program sees presses nobody
    // made.
    execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", "-r", static_cast<char*>(nullptr));
    _exit(127);
}

// Whether the server holding the display's lock file is the given process: another test
// program's server may answer on a display ours could not take.
bool HoldsDisplay(pid_t server, int display) {
    std::ifstream lock("/tmp/.X" + std::to_string(display) + "-lock");
    long owner = 0;
    return (lock >> owner) && owner == server;
}

// The next number of a PPM header, skipping white space and # comments.
bool ReadPpmNumber(FILE* in, int* number) {
    int c = std::fgetc(in);
    while (c == '#' || std::isspace(c)) {
        if (c == '#')
            while (c != '\n' && c != EOF) c = std::fgetc(in);
        c = std::fgetc(in);
    }
    if (!std::isdigit(c)) return false;
    *number = 0;
    for (; std::isdigit(c); c = std::fgetc(in)) {
        if (*number > 1000000) return false;
        *number = *number * 10 + (c - '0');
    }
    return std::isspace(c);  // one white-space byte ends the header's last number
}

// Parses a binary PPM with 8-bit samples.
std::optional<RgbImage> ReadPpm(FILE* in) {
    RgbImage image;
    int maxValue = 0;
    if (std::fgetc(in) != 'P' || std::fgetc(in) != '6') return {};
    if (!ReadPpmNumber(in, &image.width) || !ReadPpmNumber(in, &image.height) ||
        !ReadPpmNumber(in, &maxValue))
        return {};
    if (maxValue != 255 || image.width <= 0 || image.height <= 0) return {};
    size_t count = static_cast<size_t>(image.width) * image.height;
    std::vector<uint8_t> bytes(count * 3);
    if (std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size()) return {};
    image.rgb.resize(count);
    for (size_t i = 0; i < count; ++i) {
        image.rgb[i] =
            (uint32_t{bytes[3 * i]} << 16) | (uint32_t{bytes[3 * i + 1]} << 8) | bytes[3 * i + 2];
    }
    return image;
}

}  // namespace

XSession::~XSession() { Stop(); }

void XSession::Stop() {
    // Closed while the server still answers: this program has no use for a lost display.
    if (otherClient_) LoadXlib().closeDisplay(otherClient_);
    otherClient_ = nullptr;
    otherWindow_ = 0;
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
    server_ = -1;
}

bool XSession::Start(int width, int height, int depth) {
    error_ = MissingPrograms({"Xvfb", "xdotool", "xwininfo", "xprop", "xwd", "convert"});
    if (!error_.empty()) return false;
    std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    // Test programs run side by side, so each starts looking at a display of its own; all
    // the attempts together get the time of one wait.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int attempt = 0; attempt < 20 && std::chrono::steady_clock::now() < deadline; ++attempt) {
        int display = 100 + (getpid() * 7 + attempt) % 900;
        server_ = LaunchServer(display, screen);
        if (server_ < 0) break;
        display_ = ":" + std::to_string(display);
        bool exited = false;
        const std::chrono::duration<double> left = deadline - std::chrono::steady_clock::now();
        bool ours = Eventually(
            [&] {
                exited = waitpid(server_, nullptr, WNOHANG) == server_;  // the display was taken
                return exited || (HoldsDisplay(server_, display) && Connection(display_).get());
            },
            left.count());
        if (ours && !exited) return true;
        if (!exited) {  // it never answered
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
        server_ = -1;
    }
    display_.clear();
    error_ = "Xvfb did not start";
    return false;
}

int XSession::Run(const std::string& command) const {
    std::string line = "DISPLAY=" + display_ + " " + command;
    int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<RgbImage> XSession::Screenshot() const {
    std::string ppm = Output("xwd -root -silent | convert xwd:- -depth 8 ppm:-");
    if (ppm.empty()) return {};
    FILE* in = fmemopen(ppm.data(), ppm.size(), "r");
    if (!in) return {};
    std::optional<RgbImage> image = ReadPpm(in);
    std::fclose(in);
    return image;
}

// Through a file rather than a pipe: a program showing a dialog may fork while a test
// thread waits on a pipe, and a child holding the pipe's other end would keep it open.
std::string XSession::Output(const std::string& command) const {
    char path[] = "/tmp/vantor-x-output-XXXXXX";
    int file = mkostemp(path, O_CLOEXEC);
    if (file < 0) return "";
    close(file);
    std::string output;
    if (Run(command + " > " + path + " 2>/dev/null") >= 0) {
        std::ifstream in(path, std::ios::binary);
        output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    unlink(path);
    return output;
}

std::vector<XWindow> XSession::WindowsOf(pid_t process, double waitSeconds) const {
    std::vector<XWindow> windows;
    Eventually(
        [&] {
            std::istringstream found(
                Output("xdotool search --onlyvisible --pid " + std::to_string(process)));
            for (XWindow window; found >> window;) windows.push_back(window);
            return !windows.empty();
        },
        waitSeconds);
    return windows;
}

// Read with xwininfo rather than over a connection of this process: a program showing a
// dialog may fork meanwhile, and a child forked while another thread is inside Xlib waits
// for that thread's lock forever. (xdotool cannot read every program's titles.)
std::vector<XWindow> XSession::WindowsTitled(const std::string& title, double waitSeconds) const {
    std::vector<XWindow> windows;
    Eventually(
        [&] {
            std::istringstream children(Output("xwininfo -root -children"));
            for (std::string line; std::getline(children, line);) {
                XWindow window = 0;
                if (line.find(" \"" + title + "\": ") == std::string::npos) continue;
                if (std::sscanf(line.c_str(), " %lx", &window) != 1) continue;
                if (Output("xwininfo -id " + std::to_string(window)).find("IsViewable") !=
                    std::string::npos)
                    windows.push_back(window);
            }
            return !windows.empty();
        },
        waitSeconds);
    return windows;
}

bool XSession::KeepOnlyBuiltInFonts() const {
    Connection x(display_);
    if (!x.get()) return false;
    ErrorTrap trap(x.x(), x.get());
    char builtIn[] = "built-ins";
    char* fontPath[] = {builtIn};
    x.x().setFontPath(x.get(), fontPath, 1);
    return trap.Finish();
}

bool XSession::Focus(XWindow window) const {
    Connection x(display_);
    if (!x.get()) return false;
    ErrorTrap trap(x.x(), x.get());
    x.x().setInputFocus(x.get(), window, RevertToParent, CurrentTime);
    return trap.Finish();
}

bool XSession::FocusOtherWindow() {
    // The other window lives as long as the connection that made it, so that connection
    // stays open for the session's life.
    const Xlib& x = LoadXlib();
    if (!x.loaded) return false;
    if (!otherClient_) otherClient_ = x.openDisplay(display_.c_str());
    if (!otherClient_) return false;
    ErrorTrap trap(x, otherClient_);
    if (!otherWindow_) {
        otherWindow_ = x.createSimpleWindow(otherClient_, x.defaultRootWindow(otherClient_), 10, 10,
                                            64, 64, 0, 0, 0xFFFFFF);
        x.mapRaised(otherClient_, otherWindow_);
    }
    x.setInputFocus(otherClient_, otherWindow_, RevertToParent, CurrentTime);
    return trap.Finish();
}

namespace {

// A window manager's WM_PROTOCOLS message to a window.
XEvent ProtocolMessage(const Connection& x, XWindow window, const char* protocol, long stamp) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = x.x().internAtom(x.get(), "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(x.x().internAtom(x.get(), protocol, False));
    message.xclient.data.l[1] = stamp;
    message.xclient.data.l[2] = static_cast<long>(window);
    return message;
}

// Sends a ping on a connection and waits for the answer, which the program sends back to
// the root window; false at once when the window is destroyed meanwhile.
bool PingOn(const Connection& x, XWindow window, double waitSeconds) {
    static long lastStamp = 0;
    const XWindow root = x.x().defaultRootWindow(x.get());
    ErrorTrap trap(x.x(), x.get());
    x.x().selectInput(x.get(), root, SubstructureNotifyMask);
    XEvent ping = ProtocolMessage(x, window, "_NET_WM_PING", ++lastStamp);
    x.x().sendEvent(x.get(), window, False, NoEventMask, &ping);
    if (!trap.Finish()) return false;
    bool destroyed = false;
    return Eventually(
               [&] {
                   while (x.x().pending(x.get()) > 0) {
                       XEvent event{};
                       x.x().nextEvent(x.get(), &event);
                       destroyed |=
                           event.type == DestroyNotify && event.xdestroywindow.window == window;
                       if (event.type == ClientMessage && event.xclient.window == root &&
                           event.xclient.data.l[0] == ping.xclient.data.l[0] &&
                           event.xclient.data.l[1] == ping.xclient.data.l[1])
                           return true;
                   }
                   return destroyed;
               },
               waitSeconds) &&
           !destroyed;
}

}  // namespace

bool XSession::RequestClose(XWindow window) const {
    Connection x(display_);
    if (!x.get()) return false;
    ErrorTrap trap(x.x(), x.get());
    XEvent close = ProtocolMessage(x, window, "WM_DELETE_WINDOW", CurrentTime);
    x.x().sendEvent(x.get(), window, False, NoEventMask, &close);
    return trap.Finish();
}

bool XSession::Ping(XWindow window, double waitSeconds) const {
    Connection x(display_);
    return x.get() && PingOn(x, window, waitSeconds);
}

bool XSession::Tap(XWindow window, const std::string& key, int queued, double waitSeconds) const {
    Connection x(display_);
    if (!x.get() || !x.x().fakeKeyEvent) return false;
    auto code = [&](const char* name) {
        return x.x().keysymToKeycode(x.get(), x.x().stringToKeysym(name));
    };
    const unsigned int pressed = code(key.c_str()), shift = code("Shift_L");
    if (pressed == 0 || shift == 0) return false;
    x.x().fakeKeyEvent(x.get(), pressed, True, CurrentTime);
    for (int i = 0; i < queued; ++i) x.x().fakeKeyEvent(x.get(), shift, i % 2 == 0, CurrentTime);
    const bool answered = PingOn(x, window, waitSeconds);
    x.x().fakeKeyEvent(x.get(), pressed, False, CurrentTime);
    if (queued % 2 == 1) x.x().fakeKeyEvent(x.get(), shift, False, CurrentTime);
    x.x().sync(x.get(), False);
    return answered;
}

}  // namespace vantor::testing
