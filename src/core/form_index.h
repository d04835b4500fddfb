// A form's controls looked up by name, each lookup in constant time: the findings on a form of
// tens of thousands of fields look every field line up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <vector>

#include "page_forms.h"

namespace verrimo {

class FormIndex {
  public:
    explicit FormIndex(const Form& form);

    // The controls of one name, in document order.
    class Named {
      public:
        class iterator {
          public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = FormControl;
            using difference_type = std::ptrdiff_t;
            using pointer = const FormControl*;
            using reference = const FormControl&;

            iterator() = default;
            iterator(const FormIndex* index, std::uint32_t at) : index_(index), at_(at) {}
            const FormControl& operator*() const { return index_->form_.controls[at_]; }
            iterator& operator++() {
                at_ = index_->next_[at_];
                return *this;
            }
            iterator operator++(int) {
                iterator before = *this;
                ++*this;
                return before;
            }
            bool operator==(const iterator& o) const { return at_ == o.at_; }

          private:
            const FormIndex* index_ = nullptr;
            std::uint32_t at_ = kNone;
        };

        Named() = default;  // none
        Named(const FormIndex* index, std::uint32_t first) : index_(index), first_(first) {}
        iterator begin() const { return {index_, first_}; }
        iterator end() const { return {index_, kNone}; }
        bool empty() const { return first_ == kNone; }
        const FormControl& front() const { return *begin(); }

      private:
        const FormIndex* index_ = nullptr;
        std::uint32_t first_ = kNone;
    };

    Named named(std::string_view name) const;
    // The same, looking first at the first control of a name at or after `from`, which moves
    // past the one found: the field lines of a definition mostly follow the page, and reading
    // the controls in order costs far less than the table on a form too big for the caches.
    Named named(std::string_view name, std::size_t& from) const;
    // Where the control is among the form's, from 0.
    std::size_t place(const FormControl& c) const {
        return static_cast<std::size_t>(&c - form_.controls.data());
    }

  private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    // The slot of the name: where it is, or the empty slot where it would go.
    std::size_t slotOf(std::string_view name, std::size_t hash) const;

    const Form& form_;
    std::vector<std::size_t> hashes_;   // each control's name's
    std::vector<std::uint32_t> next_;   // each control's next of the same name, or kNone
    std::vector<std::uint32_t> slots_;  // the first control of a name, or kNone for an empty slot
    std::vector<char> first_;           // whether each control is the first of its name
};

}  // namespace verrimo
