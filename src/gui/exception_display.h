// The last-resort error display: an error box captioned with the application title.
#pragma once

#include <QString>
#include <exception>
#include <stdexcept>
#include <string>

namespace verrimo {

// An error whose message (UTF-8) is meant for the user, such as a file that cannot be created.
class UserError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The message as the box shows it: a full stop is added when the last character sorts after it.
QString exceptionMessage(const QString& message);

void showException(const std::exception& error);

// Runs a handler; an exception that escapes it is shown and the program goes on.
template <typename Handler>
void guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showException(error);
    }
}

}  // namespace verrimo
