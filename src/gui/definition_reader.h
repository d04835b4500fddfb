// The definition read for every part of the windows that works on it, the preview, the send
// button, the trial run and the check string's place: read once, and again only when its bytes
// change. Asked from the GUI thread and from the workers alike.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "codepage.h"
#include "parsed_definition.h"

namespace verrimo {

class DefinitionReader {
  public:
    // The definition's bytes read in cp; the one read before when they are the same bytes.
    std::shared_ptr<const ParsedDefinition> Read(const std::string& text, const CodePage& cp);

  private:
    std::mutex mutex_;
    std::string codePage_;
    std::shared_ptr<const ParsedDefinition> read_;
};

}  // namespace verrimo
