// How a due task travels through the program's source files, counted from
// the calls themselves rather than read off the code: GCC's
// -finstrument-functions hooks below see every function of the program and
// of the tests' fakes entered and left, the fakes drive the program on
// simulated time, and only the calls inside a scenario's window are kept.
// Built and run by tools/call-rooms.sh, which leaves this file and the C++
// library uninstrumented; the fakes are told apart by their files.
//
// One source serves the trees before and after a change of the task key:
// the key's fields are filled by name, its texts' argument only where the
// key has one, and the options are put under the key the tree itself names.
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "store/task_options.h"
#include "tests/fakes/scheduler_rig.h"

#define NO_TRACE __attribute__((no_instrument_function))

namespace calltrace {

struct Event {
  bool enter;
  void* fn;
};

struct Verdict {
  bool keep;  // the call just returned belongs to the window
  bool done;  // and the window ends with it
};

struct State {
  std::vector<Event> events;
  int depth = 0;  // instrumented frames open on the stack
  bool recording = false;
  bool inCallback = false;
  // A gated window: of the calls the driver makes into the program, those
  // `wants` accepts are logged; after each, `after` rules on it.
  bool armed = false;
  std::function<bool(void*)> wants;
  std::function<Verdict()> after;
  std::size_t mark = 0;
  int kept = 0;
  // Driver calls into the program after the window opened that it did not log.
  std::vector<void*> passedOver;
  // The fakes are instrumented, to see the program call out to them; the
  // one that drives the timers is the test's, and its handlers' calls are
  // the driver's calls into the program.
  void* transparent = nullptr;
};

// Never destroyed: the program's static destructors still enter the hooks
// after main returns.
NO_TRACE State& S() {
  static State* state = new State;
  return *state;
}

// The window is the whole of what runs until End.
NO_TRACE void Begin() {
  State& s = S();
  s.events.clear();
  s.passedOver.clear();
  s.kept = 0;
  s.recording = true;
}
NO_TRACE void End() { S().recording = false; }

NO_TRACE void Gate(std::function<bool(void*)> wants, std::function<Verdict()> after) {
  State& s = S();
  s.events.clear();
  s.passedOver.clear();
  s.kept = 0;
  s.wants = std::move(wants);
  s.after = std::move(after);
  s.armed = true;
}
// True if the window closed as its scenario asked.
NO_TRACE bool Ungate() {
  State& s = S();
  const bool closed = !s.armed && s.kept > 0;
  s.armed = false;
  s.recording = false;
  // The rulings hold on to the scenario's rig, which is about to go.
  s.wants = nullptr;
  s.after = nullptr;
  return closed;
}

}  // namespace calltrace

extern "C" {

NO_TRACE void __cyg_profile_func_enter(void* fn, void*) {
  calltrace::State& s = calltrace::S();
  // A scenario's ruling may itself reach the fakes and the program's inline functions.
  if (s.inCallback || fn == s.transparent) return;
  ++s.depth;
  if (s.armed && !s.recording && s.depth == 1) {
    s.inCallback = true;
    const bool wanted = s.wants(fn);
    s.inCallback = false;
    if (wanted) {
      s.recording = true;
      s.mark = s.events.size();
    } else if (s.kept > 0) {
      s.passedOver.push_back(fn);
    }
  }
  if (s.recording) s.events.push_back({true, fn});
}

NO_TRACE void __cyg_profile_func_exit(void* fn, void*) {
  calltrace::State& s = calltrace::S();
  if (s.inCallback || fn == s.transparent) return;
  if (s.recording) s.events.push_back({false, fn});
  --s.depth;
  if (s.armed && s.recording && s.depth == 0) {
    s.recording = false;
    s.inCallback = true;
    const calltrace::Verdict verdict = s.after();
    s.inCallback = false;
    if (verdict.keep) {
      ++s.kept;
    } else {
      s.events.resize(s.mark);
    }
    if (verdict.done) s.armed = false;
  }
}

}  // extern "C"

namespace {

using namespace velmaro;
using calltrace::Event;
using calltrace::Verdict;

// --- addresses to source files ------------------------------------------

struct Place {
  std::string function;
  std::string file;
  int line = 0;
};

std::string SourceLine(const std::string& file, int line) {
  static std::map<std::string, std::vector<std::string>> files;
  auto found = files.find(file);
  if (found == files.end()) {
    std::vector<std::string> lines;
    if (FILE* source = std::fopen(file.c_str(), "r")) {
      std::string text;
      for (int c; (c = std::fgetc(source)) != EOF;) {
        if (c == '\n') {
          lines.push_back(text);
          text.clear();
        } else {
          text += static_cast<char>(c);
        }
      }
      lines.push_back(text);
      std::fclose(source);
    }
    found = files.emplace(file, std::move(lines)).first;
  }
  return line >= 1 && line <= static_cast<int>(found->second.size()) ? found->second[line - 1] : std::string();
}

// A constructor, destructor or assignment the compiler wrote is placed on
// the head of its class; one written by hand has a line of its own.
bool CompilerGenerated(const Place& place) {
  const std::string name = place.function.substr(0, place.function.find('('));
  if (name.find('{') != std::string::npos) return false;  // a lambda's
  const std::size_t last = name.rfind("::");
  if (last == std::string::npos || last == 0) return false;
  const std::string member = name.substr(last + 2);
  std::string scope = name.substr(0, last);
  const std::size_t before = scope.rfind("::");
  if (before != std::string::npos) scope = scope.substr(before + 2);
  scope = scope.substr(0, scope.find('<'));
  if (member != scope && member != "~" + scope && member != "operator=") return false;
  const std::string head = SourceLine(place.file, place.line);
  for (const char* key : {"struct ", "class ", "union "}) {
    const std::size_t at = head.find(key);
    if (at != std::string::npos && head.find(scope, at) != std::string::npos) return true;
  }
  return false;
}

const char kLongString[] = "std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >";

std::map<void*, Place> Resolve(const std::set<void*>& addresses) {
  std::map<void*, Place> places;
  if (addresses.empty()) return places;
  char exe[4096];
  const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) {
    std::perror("readlink /proc/self/exe");
    std::exit(2);
  }
  exe[length] = 0;
  char listPath[] = "/tmp/call-rooms-addresses-XXXXXX";
  const int fd = mkstemp(listPath);
  if (fd < 0) {
    std::perror("mkstemp");
    std::exit(2);
  }
  std::string list;
  std::vector<void*> order(addresses.begin(), addresses.end());
  for (void* address : order) {
    char text[32];
    std::snprintf(text, sizeof text, "%#jx\n", static_cast<std::uintmax_t>(reinterpret_cast<std::uintptr_t>(address)));
    list += text;
  }
  if (write(fd, list.data(), list.size()) != static_cast<ssize_t>(list.size())) {
    std::perror("write");
    std::exit(2);
  }
  close(fd);
  const std::string command = std::string("addr2line -f -C -e '") + exe + "' < " + listPath;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    std::perror("addr2line");
    std::exit(2);
  }
  // addr2line answers each address with two lines: the function, then file:line.
  const auto readLine = [pipe](std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(pipe)) != EOF && c != '\n') line += static_cast<char>(c);
    return c != EOF || !line.empty();
  };
  std::string function, location;
  for (void* address : order) {
    if (!readLine(function) || !readLine(location)) break;
    Place place;
    place.function = function;
    for (std::size_t at; (at = place.function.find(kLongString)) != std::string::npos;) {
      place.function.replace(at, sizeof kLongString - 1, "std::string");
    }
    const std::size_t discriminator = location.find(" (discriminator");
    if (discriminator != std::string::npos) location.resize(discriminator);
    const std::size_t colon = location.rfind(':');
    place.file = location.substr(0, colon);
    if (colon != std::string::npos) place.line = std::atoi(location.c_str() + colon + 1);
    places[address] = place;
  }
  pclose(pipe);
  unlink(listPath);
  if (places.size() != order.size()) {
    std::fprintf(stderr, "addr2line answered %zu of %zu addresses\n", places.size(), order.size());
    std::exit(2);
  }
  return places;
}

// --- rooms and floors -------------------------------------------------------

const char kDriver[] = "[test]";

enum class Kind { Product, Fake, Other };

struct Rooms {
  std::string root;  // the tree, with a trailing '/'

  std::string Relative(const std::string& file) const {
    return file.compare(0, root.size(), root) == 0 ? file.substr(root.size()) : file;
  }
  Kind KindOf(const std::string& file) const {
    if (file.compare(0, root.size(), root) != 0) return Kind::Other;
    const std::string relative = file.substr(root.size());
    if (relative.compare(0, 6, "tests/") == 0) return Kind::Fake;
    static const char* const kDirs[] = {"app/", "dialogs/", "actions/", "scheduler/", "store/", "platform/", "base/", "ui/"};
    for (const char* dir : kDirs) {
      if (relative.compare(0, std::strlen(dir), dir) == 0) return Kind::Product;
    }
    return Kind::Other;
  }
  // A product file's room is its path without the extension, so a source
  // and its header share one.
  std::string Of(const std::string& file) const {
    const std::string relative = Relative(file);
    const std::size_t dot = relative.rfind('.');
    return dot == std::string::npos ? relative : relative.substr(0, dot);
  }
};

bool IsProduct(const std::string& room) { return !room.empty() && room != kDriver && room[0] != '?'; }

int Floor(const std::string& room) {
  if (room == "app/main_unit") return 7;
  const auto in = [&room](const char* dir) { return room.compare(0, std::strlen(dir), dir) == 0; };
  if (in("app/")) return 6;
  if (in("dialogs/")) return 5;
  if (in("actions/")) return 4;
  if (in("scheduler/")) return 3;
  if (in("store/")) return 2;
  if (in("platform/") || in("base/")) return 1;
  return 0;  // a room of no floor (ui/) neither climbs nor is climbed to
}

const char kMainUnitSource[] = "app/main_unit.cpp";

// --- the measure --------------------------------------------------------------

struct Measure {
  int calls = 0;
  int rooms = 0;
  int stays = 0;
  int climbs = 0;
  int mainUnitEntries = 0;  // from another of the program's rooms
  int driverEntries = 0;    // from the test, opening each logged call
  int fakeCalls = 0;        // from the program out to a fake
  int throughFakes = 0;     // from a fake back into the program: left out
  int unattributed = 0;     // functions resolved to no product file
  int unmatched = 0;        // exits that did not close the innermost frame
  int generatedLeftOut = 0;
  std::vector<std::pair<char, std::string>> timeline;  // '>' a call moved there, '<' a return
  std::map<std::string, int> climbList;
  std::map<std::string, int> mainUnitFrom;
  std::map<std::string, int> fakeList;
  std::set<std::string> fakeCallers;
  std::map<std::string, int> throughList;
  std::map<std::string, int> edges;  // calls from one room into another
  std::map<std::string, int> entriesPerRoom;
  std::vector<std::string> firstEntered;
  std::string callTree;
};

// With `generated` false, the members the compiler wrote are left out
// like the fakes' calls.
Measure Analyse(const std::vector<Event>& events, const Rooms& rooms, bool generated) {
  std::set<void*> addresses;
  for (const Event& e : events) addresses.insert(e.fn);
  const std::map<void*, Place> places = Resolve(addresses);

  Measure m;
  enum class FrameKind { Product, Fake, LeftOut };
  struct Frame {
    void* fn;
    std::string room;  // a fake's, and what is left out, is its caller's: control stays there
    FrameKind kind;
  };
  std::vector<Frame> stack;
  std::string here = kDriver;
  std::set<std::string> visited;
  const auto moveTo = [&](char how, const std::string& room) {
    if (room == here) return;
    here = room;
    m.timeline.push_back({how, room});
    if (IsProduct(room)) {
      ++m.stays;
      if (visited.insert(room).second) m.firstEntered.push_back(room);
    }
  };
  for (const Event& e : events) {
    const Place& callee = places.at(e.fn);
    if (e.enter) {
      const bool top = stack.empty();
      const std::string caller = top ? std::string(kDriver) : stack.back().room;
      const FrameKind parent = top ? FrameKind::Product : stack.back().kind;
      const std::string indent(2 * stack.size(), ' ');
      if (parent == FrameKind::LeftOut) {
        stack.push_back({e.fn, caller, FrameKind::LeftOut});
        continue;
      }
      const Kind kind = rooms.KindOf(callee.file);
      // The fakes stand in for the services and the window of the Win32
      // build: a call out to one is counted apart, and what a fake calls of
      // the program is its doing, not the program's path.
      if (kind == Kind::Fake) {
        if (parent == FrameKind::Product && !top) {
          ++m.fakeCalls;
          ++m.fakeList[caller + " -> " + callee.function];
          m.fakeCallers.insert(caller);
          m.callTree += indent + "- fake  " + callee.function + "\n";
        }
        stack.push_back({e.fn, caller, FrameKind::Fake});
        continue;
      }
      if (parent == FrameKind::Fake) {
        ++m.throughFakes;
        ++m.throughList[caller + " -> (" + places.at(stack.back().fn).function + ") -> " + callee.function];
        stack.push_back({e.fn, caller, FrameKind::LeftOut});
        continue;
      }
      if (!generated && CompilerGenerated(callee)) {
        ++m.generatedLeftOut;
        stack.push_back({e.fn, caller, FrameKind::LeftOut});
        continue;
      }
      std::string room = rooms.Of(callee.file);
      if (kind == Kind::Other) {
        ++m.unattributed;
        room = "?" + callee.file;
      }
      ++m.calls;
      ++m.entriesPerRoom[room];
      if (room != caller && IsProduct(caller)) ++m.edges[caller + " -> " + room];
      if (IsProduct(caller) && IsProduct(room) && Floor(room) > Floor(caller) && Floor(caller) > 0) {
        ++m.climbs;
        ++m.climbList[caller + " -> " + room + "  " + callee.function];
      }
      if (rooms.Relative(callee.file) == kMainUnitSource && caller != "app/main_unit") {
        if (caller == kDriver) {
          ++m.driverEntries;
        } else {
          ++m.mainUnitEntries;
          ++m.mainUnitFrom[caller + "  " + callee.function];
        }
      }
      m.callTree += indent + "> " + room + "  " + callee.function + "  [" + rooms.Relative(callee.file) + ":" +
                    std::to_string(callee.line) + "]\n";
      stack.push_back({e.fn, room, FrameKind::Product});
      moveTo('>', room);
    } else {
      if (stack.empty() || stack.back().fn != e.fn) {
        ++m.unmatched;
        // An exit whose entry the window did not see, or a frame left by
        // unwinding without its exit: drop to the frame that returns.
        auto it = std::find_if(stack.rbegin(), stack.rend(), [&](const Frame& f) { return f.fn == e.fn; });
        if (it == stack.rend()) continue;
        stack.erase(std::prev(it.base()), stack.end());
      } else {
        stack.pop_back();
      }
      moveTo('<', stack.empty() ? std::string(kDriver) : stack.back().room);
    }
  }
  m.rooms = static_cast<int>(visited.size());
  return m;
}

// --- output -------------------------------------------------------------------

// The record is in code page 936, as the program writes it.
std::string Utf8(const std::string& gbk) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return gbk;
  std::string out(gbk.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(gbk.data());
  std::size_t inLeft = gbk.size();
  char* to = &out[0];
  std::size_t toLeft = out.size();
  const std::size_t converted = iconv(cd, &in, &inLeft, &to, &toLeft);
  iconv_close(cd);
  if (converted == static_cast<std::size_t>(-1)) return gbk;
  out.resize(out.size() - toLeft);
  for (char& c : out) {
    if (c == '\t') c = ' ';
  }
  return out;
}

void PrintWrapped(const std::vector<std::string>& tokens, std::size_t width) {
  std::string line = "   ";
  for (const std::string& token : tokens) {
    if (line.size() + 1 + token.size() > width && line.size() > 3) {
      std::printf("%s\n", line.c_str());
      line = "   ";
    }
    line += " " + token;
  }
  if (line.size() > 3) std::printf("%s\n", line.c_str());
}

struct Outcome {
  std::vector<Event> events;
  std::vector<std::string> recordLines;  // written inside the window
  std::vector<std::string> failures;     // what the scenario expected and did not see
  std::vector<void*> passedOver;
  std::string window;
};

void Report(const char* id, const char* title, const Outcome& o, const Rooms& rooms, const std::string& outDir,
            FILE* metrics) {
  const Measure m = Analyse(o.events, rooms, true);
  const Measure bare = Analyse(o.events, rooms, false);
  std::printf("\n=== %s ===\n", title);
  std::printf("window: %s\n", o.window.c_str());
  std::printf("record lines written inside the window:\n");
  for (const std::string& line : o.recordLines) std::printf("    %s\n", Utf8(line).c_str());
  if (o.recordLines.empty()) std::printf("    (none)\n");
  for (const std::string& failure : o.failures) std::printf("NOT AS EXPECTED: %s\n", failure.c_str());
  // The driver's own steps between the logged calls (the fake clock moved on) are no news.
  std::vector<std::string> passedOver;
  if (!o.passedOver.empty()) {
    const std::set<void*> fns(o.passedOver.begin(), o.passedOver.end());
    const std::map<void*, Place> places = Resolve(fns);
    for (void* fn : o.passedOver) {
      if (rooms.KindOf(places.at(fn).file) == Kind::Product) passedOver.push_back(places.at(fn).function);
    }
  }
  if (!passedOver.empty()) {
    std::printf("calls from the test into the program inside the window, not logged:\n");
    for (const std::string& name : passedOver) std::printf("    %s\n", name.c_str());
  }
  std::printf("functions entered %d | rooms visited %d | stays %d | climbs %d | %s entered %d (+%d from the test)\n",
              m.calls, m.rooms, m.stays, m.climbs, kMainUnitSource, m.mainUnitEntries, m.driverEntries);
  std::printf("  the same without compiler-written constructors, destructors and assignments (%d calls, with what they\n"
              "  called): functions entered %d | rooms visited %d | stays %d | climbs %d | %s entered %d\n",
              bare.generatedLeftOut, bare.calls, bare.rooms, bare.stays, bare.climbs, kMainUnitSource,
              bare.mainUnitEntries);
  if (m.unattributed || m.unmatched) {
    std::printf("WARNING: %d entries outside the product's files, %d unmatched exits\n", m.unattributed, m.unmatched);
  }
  std::printf("rooms in order of first entry (functions entered there):\n");
  std::vector<std::string> firsts;
  for (const std::string& room : m.firstEntered) firsts.push_back(room + "(" + std::to_string(m.entriesPerRoom.at(room)) + ")");
  PrintWrapped(firsts, 110);
  std::printf("climbs (caller room -> callee room  function  x times):\n");
  for (const auto& [what, times] : m.climbList) std::printf("    %s  x%d\n", what.c_str(), times);
  if (m.climbList.empty()) std::printf("    (none)\n");
  std::printf("%s entered from other rooms:\n", kMainUnitSource);
  for (const auto& [what, times] : m.mainUnitFrom) std::printf("    %s  x%d\n", what.c_str(), times);
  if (m.mainUnitFrom.empty()) std::printf("    (none)\n");
  std::printf("calls from one room into another:\n");
  for (const auto& [what, times] : m.edges) std::printf("    %s  x%d\n", what.c_str(), times);
  std::printf("calls out to the fakes (what the Win32 build has there: its window, services, platform), %d from %zu rooms:\n",
              m.fakeCalls, m.fakeCallers.size());
  for (const auto& [what, times] : m.fakeList) std::printf("    %s  x%d\n", what.c_str(), times);
  if (m.throughFakes) {
    std::printf("left out, with all they called: calls a fake made into the program\n");
    for (const auto& [what, times] : m.throughList) std::printf("    %s  x%d\n", what.c_str(), times);
  }
  std::printf("room sequence, %d stays ('>' a call moves there, '<' a return; [test] is the driver):\n", m.stays);
  std::vector<std::string> tokens;
  for (const auto& [how, room] : m.timeline) tokens.push_back(std::string(1, how) + room);
  PrintWrapped(tokens, 110);
  const std::string treePath = outDir + "/" + id + ".calls.txt";
  if (FILE* tree = std::fopen(treePath.c_str(), "w")) {
    std::fputs(m.callTree.c_str(), tree);
    std::fclose(tree);
    std::printf("call tree: %s\n", treePath.c_str());
  }
  const auto metric = [&](const char* name, int value) { std::fprintf(metrics, "%s\t%s\t%d\n", title, name, value); };
  metric("functions entered", m.calls);
  metric("rooms visited", m.rooms);
  metric("stays", m.stays);
  metric("climbs", m.climbs);
  metric("main_unit.cpp entered", m.mainUnitEntries);
  metric("(main_unit.cpp from the test)", m.driverEntries);
  metric("calls out to the fakes", m.fakeCalls);
  metric("rooms calling the fakes", static_cast<int>(m.fakeCallers.size()));
  metric("functions entered, no generated", bare.calls);
  metric("rooms visited, no generated", bare.rooms);
  metric("stays, no generated", bare.stays);
  metric("climbs, no generated", bare.climbs);
  metric("expectations failed", static_cast<int>(o.failures.size()));
}

// --- scenarios ----------------------------------------------------------------

// A non-virtual member's address as the hooks see it: the first word of
// the Itanium ABI's pointer to member.
template <class Member>
void* Address(Member member) {
  struct {
    void* ptr;
    std::ptrdiff_t adjust;
  } raw;
  static_assert(sizeof raw == sizeof member, "an Itanium ABI pointer to member");
  std::memcpy(&raw, &member, sizeof raw);
  if (reinterpret_cast<std::uintptr_t>(raw.ptr) & 1) {
    std::fprintf(stderr, "a handler the windows open on became virtual: its address is no longer known here\n");
    std::exit(2);
  }
  return raw.ptr;
}

template <class Key>
auto SetArgument(Key& key, const char* argument, int) -> decltype(key.argument = argument, void()) {
  key.argument = argument;
}
template <class Key>
void SetArgument(Key&, const char*, long) {}

std::vector<std::string> LinesSince(const Rig& rig, std::size_t count) {
  const std::vector<std::string> lines = rig.RecordedLines();
  return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end());
}

Outcome DueReminder() {
  auto rig = std::make_unique<Rig>();
  rig->Start({{"每天8时0分", "提醒", "x"}});
  const std::size_t before = rig->RecordedLines().size();
  void* tick = Address(&MainUnit::Timer1Timer);
  // Ticks that run nothing are dropped; the first one that writes the record is the window.
  calltrace::Gate([tick](void* fn) { return fn == tick; },
                  [&] {
                    const bool wrote = rig->RecordedLines().size() > before;
                    return Verdict{wrote, wrote};
                  });
  rig->view.RunFor(10 * kSecond);
  Outcome o;
  const bool closed = calltrace::Ungate();
  calltrace::State& s = calltrace::S();
  o.events = s.events;
  o.passedOver = s.passedOver;
  o.window = "the Timer1Timer tick (08:00:05) that runs the reminder, entry to return";
  o.recordLines = LinesSince(*rig, before);
  if (!closed) o.failures.push_back("no Timer1Timer tick within 10 s wrote a record line");
  if (rig->reminders.shown != std::vector<std::string>{"x"}) o.failures.push_back("the reminder was not shown once");
  return o;
}

Outcome DueShutdown() {
  auto rig = std::make_unique<Rig>();
  rig->Start({{"每天8时0分", "关闭计算机", ""}}, 2);
  const std::size_t before = rig->RecordedLines().size();
  void* tick1 = Address(&MainUnit::Timer1Timer);
  void* tick2 = Address(&MainUnit::Timer2Timer);
  bool counting = false;
  std::size_t powerBefore = rig->power.calls.size();
  calltrace::Gate([&](void* fn) { return counting ? fn == tick2 : fn == tick1; },
                  [&] {
                    if (!counting) {
                      // Kept only if this tick started the countdown (its timer on).
                      counting = rig->view.on[2];
                      return Verdict{counting, false};
                    }
                    const bool wrote = rig->RecordedLines().size() > before;
                    return Verdict{true, wrote};
                  });
  rig->view.RunFor(30 * kSecond);
  Outcome o;
  const bool closed = calltrace::Ungate();
  calltrace::State& s = calltrace::S();
  o.events = s.events;
  o.passedOver = s.passedOver;
  o.window = "the Timer1Timer tick that starts the countdown, then each Timer2Timer tick up to the one that writes "
             "the record line (" + std::to_string(s.kept) + " calls from the test)";
  o.recordLines = LinesSince(*rig, before);
  if (!counting) o.failures.push_back("no Timer1Timer tick started the countdown");
  if (!closed) o.failures.push_back("no Timer2Timer tick within 30 s wrote a record line");
  if (rig->power.calls.size() <= powerBefore) o.failures.push_back("the shutdown was not asked of the system");
  return o;
}

Outcome ResumeWithCatchUp() {
  auto rig = std::make_unique<Rig>();
  rig->Arrange({{"每天9时0分", "提醒", "早会"}});
  TaskKey key;
  key.trigger = "每天9时0分";
  key.action = "提醒";
  SetArgument(key, "早会", 0);
  key.duplicate = 0;
  // The tree's own options key, without the root's leading backslash, as the fakes name keys.
  rig->registry.PutString(RegRoot::LocalMachine, kTaskOptionsKey + 1, OptionsValueName(key), "C 2026-12-05 09:00");
  rig->Launch();
  rig->unit.Suspending();
  rig->clock.Advance(2 * 24 * kHour);
  const std::size_t before = rig->RecordedLines().size();
  const std::size_t shown = rig->reminders.shown.size();
  calltrace::Begin();
  rig->unit.Resumed();
  calltrace::End();
  Outcome o;
  o.events = calltrace::S().events;
  o.window = "Resumed() on Wednesday 07:59:55 after two days asleep, entry to return";
  o.recordLines = LinesSince(*rig, before);
  if (rig->reminders.shown.size() != shown + 1) o.failures.push_back("the missed reminder was not shown once on waking");
  bool caughtUp = false;
  for (const std::string& line : o.recordLines) caughtUp |= line.find("补做") != std::string::npos;
  if (!caughtUp) o.failures.push_back("no catch-up line was recorded on waking");
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TREE OUT_DIR\n", argv[0]);
    return 2;
  }
  Rooms rooms;
  rooms.root = argv[1];
  if (rooms.root.back() != '/') rooms.root += '/';
  const std::string outDir = argv[2];
  calltrace::S().events.reserve(1 << 16);
  calltrace::S().transparent = Address(&FakeForm1::RunFor);

  // Each scenario runs before any is resolved: addr2line is slow, and a run
  // of the program between windows changes nothing that is measured.
  struct Scenario {
    const char* id;
    const char* title;
    Outcome outcome;
  };
  std::vector<Scenario> scenarios;
  scenarios.push_back({"due-reminder", "due reminder", DueReminder()});
  scenarios.push_back({"due-shutdown", "due shutdown to its record line", DueShutdown()});
  scenarios.push_back({"resume-catch-up", "resume with a catch-up", ResumeWithCatchUp()});

  std::printf(
      "room: a source file and its header (app/main_unit = app/main_unit.cpp + .h); header-inline functions\n"
      "  count in the header's room, compiler-generated members in their class's. The C++ library and the\n"
      "  test driver ([test]) are not instrumented; a call from the library (std::function, algorithms)\n"
      "  counts as made by the room whose frame is innermost. The fakes (tests/) are instrumented but are\n"
      "  no room: control stays with the room that called out to one (those calls are counted apart), and\n"
      "  what a fake calls of the program is left out, with everything beneath it.\n"
      "stay: a maximal run of control in one room, following calls and returns; every move to another room,\n"
      "  by a call or by a return, starts a new stay.\n"
      "climb: a call from a room on a lower floor into a room on a higher floor. Floors from the top:\n"
      "  app/main_unit 7; other app/ 6; dialogs/ 5; actions/ 4; scheduler/ 3; store/ 2; platform/, base/ 1.\n"
      "main_unit.cpp entered: calls from another room into a function defined in app/main_unit.cpp (the\n"
      "  test's own calls that open the window are given apart).\n"
      "no generated: the same figures with the constructors, destructors and assignments the compiler wrote\n"
      "  (placed on their class's head line) left out, with all they call.\n");

  const std::string metricsPath = outDir + "/metrics.tsv";
  FILE* metrics = std::fopen(metricsPath.c_str(), "w");
  if (!metrics) {
    std::perror(metricsPath.c_str());
    return 2;
  }
  int failed = 0;
  for (const Scenario& s : scenarios) {
    Report(s.id, s.title, s.outcome, rooms, outDir, metrics);
    failed += !s.outcome.failures.empty();
  }
  std::fclose(metrics);
  return failed ? 1 : 0;
}
