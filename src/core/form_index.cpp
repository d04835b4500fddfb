#include "form_index.h"

#include <bit>
#include <functional>

namespace verrimo {

FormIndex::FormIndex(const Form& form)
    : form_(form),
      hashes_(form.controls.size()),
      next_(form.controls.size(), kNone),
      // Open addressing, at most half full: a lookup reads a slot or two.
      slots_(std::bit_ceil(2 * form.controls.size() + 1), kNone),
      first_(form.controls.size(), 0) {
    std::vector<std::uint32_t> last(slots_.size(), kNone);  // each name's last control so far
    for (std::uint32_t i = 0; i < form.controls.size(); ++i) {
        const std::string_view name = form.controls[i].name;
        hashes_[i] = std::hash<std::string_view>()(name);
        const std::size_t slot = slotOf(name, hashes_[i]);
        if (slots_[slot] == kNone)
            slots_[slot] = i, first_[i] = 1;
        else
            next_[last[slot]] = i;
        last[slot] = i;
    }
}

std::size_t FormIndex::slotOf(std::string_view name, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t at = slots_[slot];
        if (at == kNone || (hashes_[at] == hash && form_.controls[at].name == name)) return slot;
    }
}

FormIndex::Named FormIndex::named(std::string_view name) const {
    return {this, slots_[slotOf(name, std::hash<std::string_view>()(name))]};
}

FormIndex::Named FormIndex::named(std::string_view name, std::size_t& from) const {
    const std::vector<FormControl>& controls = form_.controls;
    while (from < controls.size() && !first_[from]) ++from;
    if (from < controls.size() && controls[from].name == name)
        return {this, static_cast<std::uint32_t>(from++)};
    const Named found = named(name);
    if (!found.empty()) from = place(found.front()) + 1;
    return found;
}

}  // namespace verrimo
