// A screen reader in a process of its own: it finds a running program on the accessibility bus
// (AT-SPI, through libatspi as screen readers do), drives it through its accessible actions and
// keeps asking what a reader asks, noting how long each call waited for its answer.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

typedef struct _AtspiAccessible AtspiAccessible;

namespace verrimo::bench {

class A11yProbe {
  public:
    using Clock = std::chrono::steady_clock;

    // One call to the program, or one search made of many.
    struct Call {
        const char* what;
        Clock::time_point sent;
        Clock::duration waited;
    };

    // Tells the session that a screen reader runs, as one does when it starts; a program started
    // after it turns its accessibility on.
    static void AnnounceScreenReader();

    // Connects to the accessibility bus, follows the events a reader follows and waits until the
    // program of this process id has shown the windows with these names.
    A11yProbe(pid_t program, const std::vector<std::string>& windows);
    ~A11yProbe();
    A11yProbe(const A11yProbe&) = delete;
    A11yProbe& operator=(const A11yProbe&) = delete;

    // Types text into the text field of this name and presses the button of this name, both in
    // the window of that name, as a reader's user does with its keys.
    void Type(const std::string& window, const std::string& field, const std::string& text);
    void Press(const std::string& window, const std::string& button);

    // The texts of these names, found once, are read in every round.
    void FollowTexts(const std::vector<std::string>& names);
    // From now on the rounds look out for the window of this name, every tenth of a second even
    // in the middle of a search, and note when it was first seen showing.
    void Watch(const std::string& window);
    std::optional<Clock::time_point> Seen() const { return seen_; }
    // One round of a reader's questions: the desktop's applications, the program's windows with
    // their names and states, a search of its tree for the button named `button`, and the length
    // of each followed text and its line at the caret.
    void Round(const std::string& button);

    const std::vector<Call>& Calls() const { return calls_; }
    std::size_t Events() const { return events_; }
    // Rounds whose search did not find its button.
    std::size_t Missed() const { return missed_; }

  private:
    template <class Ask>
    auto Timed(const char* what, Ask ask);
    // The window of this name, if there is one, and when it was seen showing.
    AtspiAccessible* Window(const std::string& name, std::optional<Clock::time_point>* showing);
    // The first below `from` of this name and role (any when negative); each call is noted as
    // `what`, and the whole search as `whole`.
    AtspiAccessible* Find(AtspiAccessible* from, const std::string& name, int role,
                          const char* what, const char* whole);
    void ReadLine(AtspiAccessible* text);
    // Whether the watched window shows, when it was not seen yet and not looked for lately.
    void Look();

    AtspiAccessible* app_ = nullptr;
    std::vector<AtspiAccessible*> texts_;
    std::vector<Call> calls_;
    std::size_t events_ = 0;
    std::size_t missed_ = 0;
    std::string watched_;
    std::optional<Clock::time_point> seen_;
    Clock::time_point looked_{};
    void* listener_ = nullptr;
};

}  // namespace verrimo::bench
