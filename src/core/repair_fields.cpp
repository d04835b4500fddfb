// A step's field lines matched to its form's controls. A line whose name the form still has
// stays; the others are matched to the controls that no line names, first by the same default
// or choice list, then by place: between the same two kept lines, one line and one control of
// a kind it may be written for. Whatever more than one control could be is left to the user.
#include <algorithm>
#include <array>
#include <unordered_map>

#include "definition.h"
#include "encode_value.h"
#include "form_index.h"
#include "repair_step.h"
#include "url.h"

namespace verrimo::repairing {

namespace {

namespace def = definition;

// The kinds of control as the walker tells them apart.
enum class Sort { Hidden, Text, Password, Choice, Checkbox, Submit, Other };
constexpr std::size_t kSorts = 7;
constexpr std::size_t sortIndex(Sort s) {
    return static_cast<std::size_t>(s);
}

Sort sortOf(const FormControl& c) {
    static constexpr std::string_view kTexts[] = {
        "text", "search", "tel",  "url",  "email",          "number",
        "date", "month",  "week", "time", "datetime-local", "textarea"};
    if (c.type == "hidden") return Sort::Hidden;
    if (c.type == "password") return Sort::Password;
    if (c.element == "select" || c.type == "radio") return Sort::Choice;
    if (c.type == "checkbox") return Sort::Checkbox;
    if (c.type == "submit") return Sort::Submit;
    if (std::find(std::begin(kTexts), std::end(kTexts), c.type) != std::end(kTexts))
        return Sort::Text;
    return Sort::Other;
}

// Whether a line may have been written for a control of the sort: strictly, as the walker
// writes such a line for it; loosely, as the user may have written it.
struct Fit {
    bool strict = false;
    bool loose = false;
};

Fit fitOf(const FieldLine& f, Sort s) {
    const auto one = [&](Sort only) { return Fit{s == only, s == only}; };
    if (f.keyword == def::kGetValue) return one(Sort::Hidden);
    if (f.keyword == def::kSelect) return one(Sort::Choice);
    if (f.value == def::kPass) return one(Sort::Password);
    if (!f.literal()) return one(Sort::Text);
    const bool fixed = s == Sort::Hidden || s == Sort::Submit || s == Sort::Checkbox;
    return {fixed, fixed || s == Sort::Text || s == Sort::Choice || s == Sort::Password};
}

// The literal the walker proposes for a control's own value.
std::string walkerLiteral(const FormControl& c, const CodePage& pageCp) {
    return encodeValue(c.written.value_or(""), pageCp);
}

// Whether a literal is one a browser may send for the controls, or the walker writes for them.
bool offered(std::string_view literal, const FormIndex::Named& named, const CodePage& pageCp) {
    const std::string sent = queryDecoded(literal);
    for (const FormControl& c : named) {
        if (c.element == "select") {
            for (const FormOption& o : c.options)
                if (o.value == sent || encodeValue(o.written.value_or(""), pageCp) == literal)
                    return true;
        } else if (c.value == sent || walkerLiteral(c, pageCp) == literal) {
            return true;
        }
    }
    return false;
}

// A group of lines of one name that the form no longer has.
struct Orphan {
    std::string_view key;
    std::vector<std::size_t> fields;  // among the step's
    std::size_t gap = 0;              // how many kept lines come before it
    std::size_t match = kNone;        // the newcomer it was matched to
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
};

// A name of the form that no line names: its first control.
struct Newcomer {
    std::size_t control = 0;
    Sort sort = Sort::Other;
    std::size_t gap = 0;
    bool taken = false;
    bool questioned = false;  // one of the candidates of a line left to the user
};

class FieldRepair {
  public:
    FieldRepair(const StepForm& step, Edits& edits)
        : s_(step), e_(edits), index_(*step.form), pageCp_(*step.page->codePage) {}

    void run() {
        sortLines();
        findNewcomers();
        matchByValue();
        matchByPlace();
        for (std::size_t k = 0; k < s_.fields.size(); ++k)
            if (kept_[k] != kNoControl) checkValue(s_.fields[k], index_.named(s_.fields[k].key));
        for (const Orphan& o : orphans_)
            if (o.match != Orphan::kNone) rename(o, newcomers_[o.match]);
        renameOperands();
        placeNewcomers();
    }

    // A Zem-GetValue operand that names a renamed field, on another field's line.
    void renameOperands() {
        std::unordered_map<std::string_view, const std::string*> renamed;
        for (const Orphan& o : orphans_)
            if (o.match != Orphan::kNone)
                renamed.emplace(o.key, &control(newcomers_[o.match].control).name);
        if (renamed.empty()) return;
        for (const FieldLine& f : s_.fields) {
            LineEdit& edit = e_.lines[f.line];
            const auto to = renamed.find(f.operand);
            if (f.keyword != def::kGetValue || f.operand == f.key || edit.dropped ||
                to == renamed.end())
                continue;
            edit.value = def::expression(def::kGetValue, *to->second);
            e_.change(f.line, RepairKind::Renamed,
                      "「" + shownKey(f.key) + "」の値を取る項目「" + shownKey(f.operand) +
                          "」の名前が「" + shown(*to->second) + "」に変わりました");
        }
    }

  private:
    static constexpr std::size_t kNoControl = static_cast<std::size_t>(-1);

    const FormControl& control(std::size_t at) const { return s_.form->controls[at]; }
    std::string shown(std::string_view pageName) const { return shownName(pageName, *s_.page); }
    std::string shownKey(std::string_view key) const { return s_.cp.toUtf8(key); }

    // Kept lines and their controls; the others gathered by name.
    void sortLines() {
        kept_.assign(s_.fields.size(), kNoControl);
        named_.assign(s_.form->controls.size(), 0);
        std::unordered_map<std::string_view, std::size_t> orphanOf;
        std::size_t next = 0;
        for (std::size_t k = 0; k < s_.fields.size(); ++k) {
            const FormIndex::Named named = index_.named(s_.fields[k].key, next);
            if (!named.empty()) {
                kept_[k] = index_.place(named.front());
                anchors_.push_back(kept_[k]);
                for (const FormControl& c : named) named_[index_.place(c)] = 1;
                continue;
            }
            const auto [at, added] = orphanOf.try_emplace(s_.fields[k].key, orphans_.size());
            if (added) orphans_.push_back({s_.fields[k].key, {}, anchors_.size()});
            orphans_[at->second].fields.push_back(k);
        }
        sortedAnchors_ = anchors_;
        std::sort(sortedAnchors_.begin(), sortedAnchors_.end());
    }

    void findNewcomers() {
        std::unordered_map<std::string_view, char> seen;
        for (std::size_t i = 0; i < s_.form->controls.size(); ++i) {
            const FormControl& c = control(i);
            const Sort sort = sortOf(c);
            if (named_[i] || c.name.empty() || sort == Sort::Other) continue;
            if (!seen.try_emplace(c.name, 1).second) continue;
            const auto gap = static_cast<std::size_t>(
                std::lower_bound(sortedAnchors_.begin(), sortedAnchors_.end(), i) -
                sortedAnchors_.begin());
            newcomers_.push_back({i, sort, gap});
        }
    }

    const FieldLine& first(const Orphan& o) const { return s_.fields[o.fields.front()]; }

    // What tells a newcomer apart by its value: its default, or its choice list.
    std::string evidence(const Newcomer& n) const {
        const FormControl& c = control(n.control);
        return n.sort == Sort::Choice ? walkerChoices(index_.named(c.name), pageCp_)
                                      : walkerLiteral(c, pageCp_);
    }

    // A value tells a line and a control of its kind together when it is theirs alone: a short
    // one ("1", "on") only between the same two kept lines.
    bool sameValue(const Orphan& o, const Newcomer& n, std::string_view value) const {
        constexpr std::size_t kDistinctive = 4;
        return fitOf(first(o), n.sort).strict && (o.gap == n.gap || value.size() >= kDistinctive);
    }

    // The same non-empty default or choice list, on one line and one control alone.
    void matchByValue() {
        std::unordered_multimap<std::string, std::size_t> byValue;
        for (std::size_t n = 0; n < newcomers_.size(); ++n)
            if (std::string v = evidence(newcomers_[n]); !v.empty())
                byValue.emplace(std::move(v), n);
        std::vector<std::size_t> found(orphans_.size(), Orphan::kNone);
        std::vector<std::size_t> claims(newcomers_.size(), 0);
        for (std::size_t o = 0; o < orphans_.size(); ++o) {
            const FieldLine& f = first(orphans_[o]);
            const std::string_view v = f.keyword == def::kSelect ? f.operand
                                       : f.literal()             ? f.value
                                                                 : std::string_view();
            if (v.empty()) continue;
            std::size_t count = 0;
            const auto [begin, end] = byValue.equal_range(std::string(v));
            for (auto it = begin; it != end; ++it)
                if (sameValue(orphans_[o], newcomers_[it->second], v)) {
                    found[o] = it->second;
                    ++count;
                }
            if (count != 1) found[o] = Orphan::kNone;
            if (found[o] != Orphan::kNone) ++claims[found[o]];
        }
        for (std::size_t o = 0; o < orphans_.size(); ++o)
            if (found[o] != Orphan::kNone && claims[found[o]] == 1) take(orphans_[o], found[o]);
    }

    void take(Orphan& o, std::size_t n) {
        o.match = n;
        newcomers_[n].taken = true;
    }

    // Between the same two kept lines: one line, one control it may be for. The newcomers and
    // the open lines of a gap are counted by sort, so that a form renamed throughout costs no
    // more than one pass.
    void matchByPlace() {
        struct Gap {
            std::array<std::vector<std::size_t>, kSorts> newcomers;
            std::array<std::size_t, kSorts> suitors{};  // open lines that may be for that sort
            std::array<bool, kSorts> questioned{};
        };
        std::unordered_map<std::size_t, Gap> gaps;
        for (std::size_t n = 0; n < newcomers_.size(); ++n)
            if (!newcomers_[n].taken)
                gaps[newcomers_[n].gap].newcomers[sortIndex(newcomers_[n].sort)].push_back(n);
        const auto fits = [&](const Orphan& o, std::size_t sort) {
            return fitOf(first(o), static_cast<Sort>(sort)).loose;
        };
        for (const Orphan& o : orphans_)
            if (o.match == Orphan::kNone)
                for (std::size_t sort = 0; sort < kSorts; ++sort)
                    gaps[o.gap].suitors[sort] += fits(o, sort);
        for (Orphan& o : orphans_) {
            if (o.match != Orphan::kNone) continue;
            Gap& gap = gaps[o.gap];
            std::size_t candidates = 0;
            std::size_t only = 0;  // the sort of the one candidate
            for (std::size_t sort = 0; sort < kSorts; ++sort)
                if (fits(o, sort) && !gap.newcomers[sort].empty()) {
                    candidates += gap.newcomers[sort].size();
                    only = sort;
                }
            if (candidates == 0) {
                remove(o);
                continue;
            }
            const std::size_t n = gap.newcomers[only].front();
            if (candidates == 1 && gap.suitors[only] == 1 &&
                fitOf(first(o), newcomers_[n].sort).strict) {
                take(o, n);
                continue;
            }
            constexpr std::size_t kNamesShown = 5;
            std::string names;
            std::size_t shownNames = 0;
            for (std::size_t sort = 0; sort < kSorts; ++sort) {
                if (!fits(o, sort)) continue;
                gap.questioned[sort] = true;
                for (const std::size_t c : gap.newcomers[sort])
                    if (shownNames++ < kNamesShown)
                        names += "「" + shown(control(newcomers_[c].control).name) + "」";
            }
            if (shownNames > kNamesShown) names += "…";
            for (const std::size_t k : o.fields) {
                e_.lines[s_.fields[k].line].open = true;
                e_.change(s_.fields[k].line, RepairKind::NeedsYou,
                          "項目「" + shownKey(o.key) + "」がフォームにありません。新しい名前は " +
                              names + " のどれかかもしれませんが、ページからは決められません");
            }
        }
        for (Newcomer& n : newcomers_)
            if (!n.taken) n.questioned = gaps[n.gap].questioned[sortIndex(n.sort)];
    }

    void remove(const Orphan& o) {
        for (const std::size_t k : o.fields) {
            const std::size_t line = s_.fields[k].line;
            e_.lines[line].dropped = true;
            e_.change(line, RepairKind::Removed,
                      "項目「" + shownKey(o.key) + "」はフォームからなくなりました（行を削除）");
        }
    }

    void rename(const Orphan& o, const Newcomer& n) {
        const FormControl& c = control(n.control);
        const FormIndex::Named named = index_.named(c.name);
        for (const std::size_t k : o.fields) {
            const FieldLine& f = s_.fields[k];
            LineEdit& edit = e_.lines[f.line];
            edit.key = c.name;
            kept_[k] = n.control;
            std::string message =
                "項目「" + shownKey(o.key) + "」の名前が「" + shown(c.name) + "」に変わりました";
            if (f.keyword == def::kGetValue && f.operand == f.key)
                edit.value = def::expression(def::kGetValue, c.name);
            if (n.sort != Sort::Submit) {
                e_.change(f.line, RepairKind::Renamed, std::move(message));
                checkValue(f, named);
                continue;
            }
            // A button's line follows it, with its value as the walker writes it.
            message = "送信ボタン「" + shownKey(o.key) + "」の名前が「" + shown(c.name) + "」";
            if (f.literal() && !offered(s_.inCharset(f.value), named, pageCp_)) {
                edit.value = pageLiteral(walkerLiteral(c, pageCp_), s_.sameCharset);
                message += "、値が「" + shown(c.value) + "」";
            }
            e_.change(f.line, RepairKind::SubmitRenamed, message + "に変わりました");
        }
        named_[n.control] = 1;
    }

    // The value of a line against the controls it is now for.
    void checkValue(const FieldLine& f, const FormIndex::Named& named) {
        const FormControl& c = named.front();
        const Sort sort = sortOf(c);
        const bool same = s_.sameCharset;
        if (sort == Sort::Choice && f.keyword == def::kSelect) {
            const std::string list = pageLiteral(walkerChoices(named, pageCp_), same);
            // Compared as the bytes they send: a list written before in the page's own bytes fits.
            if (list.empty() || queryDecoded(list) == queryDecoded(s_.inCharset(f.operand))) return;
            e_.lines[f.line].value = def::expression(def::kSelect, list);
            e_.change(f.line, RepairKind::Choices,
                      "「" + shown(c.name) + "」の選択肢が変わりました（一覧を書き直しました）");
            return;
        }
        if (!f.literal()) return;
        const std::string literal = s_.inCharset(f.value);
        if (sort == Sort::Choice || sort == Sort::Checkbox) {
            if (!offered(literal, named, pageCp_)) {
                e_.lines[f.line].open = true;
                e_.change(f.line, RepairKind::NeedsYou,
                          "「" + shown(c.name) + "」の固定値「" + s_.cp.toUtf8(f.value) +
                              "」はもう選択肢にありません。どれを送るか決めてください");
            }
        } else if (sort == Sort::Submit && !offered(literal, named, pageCp_)) {
            e_.lines[f.line].value = pageLiteral(walkerLiteral(c, pageCp_), same);
            e_.change(f.line, RepairKind::SubmitRenamed,
                      "送信ボタン「" + shown(c.name) + "」の値が「" + shown(c.value) +
                          "」に変わりました");
        }
    }

    // The line of the definition that the control's nearest kept or renamed field before it
    // has; the step's target line when there is none.
    std::vector<std::size_t> linesBefore() const {
        std::vector<std::size_t> lineOf(s_.form->controls.size(), kNoControl);
        for (std::size_t k = 0; k < s_.fields.size(); ++k)
            if (kept_[k] != kNoControl && !e_.lines[s_.fields[k].line].dropped) {
                std::size_t& at = lineOf[kept_[k]];
                at = at == kNoControl ? s_.fields[k].line : std::max(at, s_.fields[k].line);
            }
        std::vector<std::size_t> before(s_.form->controls.size(), s_.targetLine);
        std::size_t last = s_.targetLine;
        for (std::size_t i = 0; i < lineOf.size(); ++i) {
            before[i] = last;
            if (lineOf[i] != kNoControl) last = lineOf[i];
        }
        return before;
    }

    // New hidden fields get their lines; a new field whose value is the user's is named.
    void placeNewcomers() {
        const std::vector<std::size_t> before = linesBefore();
        for (const Newcomer& n : newcomers_) {
            if (n.taken || n.questioned) continue;
            const FormControl& c = control(n.control);
            const std::size_t line = before[n.control];
            if (n.sort == Sort::Hidden) {
                e_.lines[line].added.push_back(
                    def::fieldLine(c.name, def::expression(def::kGetValue, c.name)));
                e_.change(line, RepairKind::Added,
                          "hidden の項目「" + shown(c.name) + "」が加わりました");
            } else if (n.sort == Sort::Password) {
                e_.change(
                    line, RepairKind::NeedsYou,
                    "パスワードの項目「" + shown(c.name) + "」が加わりました。値を決めてください");
            } else if (n.sort == Sort::Text && c.value.empty()) {
                e_.change(line, RepairKind::NeedsYou,
                          "入力欄「" + shown(c.name) + "」が加わりました。値を決めてください");
            }
        }
    }

    const StepForm& s_;
    Edits& e_;
    FormIndex index_;
    const CodePage& pageCp_;
    std::vector<std::size_t> kept_;     // each field line's control, or kNoControl
    std::vector<char> named_;           // which controls the lines name
    std::vector<std::size_t> anchors_;  // the kept lines' controls, in line order
    std::vector<std::size_t> sortedAnchors_;
    std::vector<Orphan> orphans_;
    std::vector<Newcomer> newcomers_;
};

}  // namespace

bool charsetMoved(const StepForm& step) {
    const FormIndex index(*step.form);
    const CodePage& pageCp = *step.page->codePage;
    std::size_t asWritten = 0, recodedFits = 0;
    for (const FieldLine& f : step.fields) {
        const bool choices = f.keyword == def::kSelect;
        const std::string_view text = choices ? f.operand : f.value;
        if ((!f.literal() && !choices) || std::all_of(text.begin(), text.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            }))
            continue;
        const FormIndex::Named named = index.named(f.key);
        if (named.empty()) continue;
        const std::string recoded =
            verrimo::repairing::recoded(text, step.cp, step.charset).value_or(std::string(text));
        const auto fits = [&](std::string_view t) {
            return choices ? queryDecoded(t) == queryDecoded(walkerChoices(named, pageCp))
                           : offered(t, named, pageCp);
        };
        asWritten += fits(text);
        recodedFits += fits(recoded);
    }
    return asWritten + recodedFits == 0 || recodedFits > asWritten;
}

void repairFields(const StepForm& step, Edits& edits) {
    FieldRepair(step, edits).run();
}

}  // namespace verrimo::repairing
