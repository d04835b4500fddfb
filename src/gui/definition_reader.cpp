#include "definition_reader.h"

namespace verrimo {

std::shared_ptr<const ParsedDefinition> DefinitionReader::Read(const std::string& text,
                                                               const CodePage& cp) {
    // Held while reading, so that a second asker of the same bytes waits for this reading.
    const std::lock_guard lock(mutex_);
    if (!read_ || codePage_ != cp.name() || read_->text() != text) {
        read_ = parseDefinition(text, cp);
        codePage_ = cp.name();
    }
    return read_;
}

}  // namespace verrimo
