#include "page_forms.h"

#include <optional>

#include "ascii_text.h"
#include "html_tags.h"

namespace verrimo {

namespace {

std::optional<char32_t> numericReference(std::string_view digits, bool hex) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    char32_t c = 0;
    for (char d : digits) {
        const int v = d >= '0' && d <= '9'          ? d - '0'
                      : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                      : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                    : -1;
        if (v < 0) return std::nullopt;
        c = c * (hex ? 16 : 10) + static_cast<char32_t>(v);
    }
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return U'\uFFFD';
    return c;
}

// A referenced character in the code page; one the code page lacks stays a decimal reference,
// which is what a browser sends for it in a form of that charset.
std::string referenced(char32_t c, const CodePage& cp) {
    const std::string bytes = cp.encode(std::u32string(1, c));
    return bytes == "?" && c != U'?' ? "&#" + std::to_string(c) + ";" : bytes;
}

class FormBuilder {
  public:
    explicit FormBuilder(const CodePage& cp) : cp_(cp) {}

    void tag(const HtmlTag& t) {
        textInto_ = nullptr;
        if (t.name == "base" && !base_)
            if (const Attribute* a = t.find("href")) base_ = decodeReferences(a->value, cp_);
        if (t.name == "form") {
            if (inForm_) return;  // a nested form tag is ignored, as browsers do
            inForm_ = true;
            Form f;
            f.index = forms_.size();
            f.at = t.at;
            f.action = attribute(t, "action");
            if (const Attribute* a = t.find("action")) f.writtenAction = a->value;
            f.method = asciiLowered(htmlTrimmed(attribute(t, "method"))) == "post" ? "post" : "get";
            f.enctype = asciiLowered(htmlTrimmed(attribute(t, "enctype")));
            if (f.enctype != "multipart/form-data" && f.enctype != "text/plain")
                f.enctype = "application/x-www-form-urlencoded";
            f.acceptCharset = attribute(t, "accept-charset");
            forms_.push_back(std::move(f));
            return;
        }
        if (t.name == "/form") {
            inForm_ = false;
            select_ = false;
            return;
        }
        if (t.name == "/select") select_ = false;
        if (!inForm_) return;
        if (t.name == "input" || t.name == "button" || t.name == "select" || t.name == "textarea")
            control(t);
        else if (t.name == "option" && select_)
            option(t);
    }

    void text(std::string_view text) {
        if (textInto_) *textInto_ += decodeReferences(text, cp_);
    }

    PageForms finish() {
        for (const auto& [form, control, option] : textOptions_) {
            std::string& value = forms_[form].controls[control].options[option].value;
            value = collapsed(value);
        }
        for (Form& f : forms_)
            for (FormControl& c : f.controls) {
                if (c.element == "select") defaultSelection(c);
                if (c.element == "textarea" && !c.value.empty() && c.value.front() == '\n')
                    c.value.erase(0, 1);  // the line break after the start tag is not content
            }
        return {std::move(forms_), base_.value_or(""), {}, {}, {}};
    }

  private:
    std::string attribute(const HtmlTag& t, std::string_view name) const {
        const Attribute* a = t.find(name);
        return a ? decodeReferences(a->value, cp_) : std::string();
    }

    void control(const HtmlTag& t) {
        FormControl c;
        c.element = t.name;
        c.name = attribute(t, "name");
        c.disabled = t.find("disabled") != nullptr;
        if (t.name == "select") {
            c.type = t.find("multiple") ? "select-multiple" : "select-one";
            select_ = true;
        } else if (t.name == "textarea") {
            c.type = "textarea";
        } else {
            static const char* const kTypes[] = {
                "hidden",   "text",  "search", "tel",      "url",   "email",
                "password", "date",  "month",  "week",     "time",  "datetime-local",
                "number",   "range", "color",  "checkbox", "radio", "file",
                "submit",   "image", "reset",  "button"};
            const std::string type = asciiLowered(htmlTrimmed(attribute(t, "type")));
            const std::string fallback = t.name == "button" ? "submit" : "text";
            c.type = fallback;
            for (const char* known : kTypes)
                if (type == known &&
                    (t.name == "input" || type == "submit" || type == "reset" || type == "button"))
                    c.type = type;
            c.checked = c.isCheckable() && t.find("checked") != nullptr;
            const Attribute* value = t.find("value");
            c.value = value             ? decodeReferences(value->value, cp_)
                      : c.isCheckable() ? "on"
                                        : std::string();
            if (value) c.written = value->value;
        }
        Form& f = forms_.back();
        f.controls.push_back(std::move(c));
        if (t.name == "textarea") textInto_ = &f.controls.back().value;
    }

    void option(const HtmlTag& t) {
        FormControl& select = forms_.back().controls.back();
        FormOption o;
        o.selected = t.find("selected") != nullptr;
        o.disabled = t.find("disabled") != nullptr;
        const Attribute* value = t.find("value");
        select.options.push_back(o);
        if (value) {
            select.options.back().value = decodeReferences(value->value, cp_);
            select.options.back().written = value->value;
        } else {
            textInto_ = &select.options.back().value;
            textOptions_.push_back(
                {forms_.size() - 1, forms_.back().controls.size() - 1, select.options.size() - 1});
        }
    }

    // An option without a value attribute has its text, with the white space collapsed.
    static std::string collapsed(std::string_view text) {
        std::string out;
        for (const char c : htmlTrimmed(text)) {
            if (!isHtmlSpace(c))
                out += c;
            else if (out.back() != ' ')
                out += ' ';
        }
        return out;
    }

    static void defaultSelection(FormControl& select) {
        bool any = false;
        for (const FormOption& o : select.options) any = any || o.selected;
        if (any || select.type == "select-multiple") return;
        for (FormOption& o : select.options)
            if (!o.disabled) {
                o.selected = true;
                return;
            }
    }

    const CodePage& cp_;
    std::vector<Form> forms_;
    std::optional<std::string> base_;
    bool inForm_ = false;
    bool select_ = false;
    std::string* textInto_ = nullptr;
    struct OptionPlace {
        std::size_t form, control, option;
    };
    std::vector<OptionPlace> textOptions_;
};

}  // namespace

bool FormControl::isButton() const {
    return type == "submit" || type == "image" || type == "reset" || type == "button";
}

std::string decodeReferences(std::string_view text, const CodePage& cp) {
    static const std::pair<std::string_view, std::string_view> kNamed[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t amp = text.find('&', i);
        out.append(text.substr(i, amp == std::string_view::npos ? text.size() - i : amp - i));
        if (amp == std::string_view::npos) break;
        const std::size_t semi = text.find(';', amp);
        const std::string_view body = semi == std::string_view::npos || semi - amp > 10
                                          ? std::string_view()
                                          : text.substr(amp + 1, semi - amp - 1);
        std::optional<std::string> decoded;
        if (body.size() > 1 && body[0] == '#') {
            const bool hex = body[1] == 'x' || body[1] == 'X';
            if (const auto c = numericReference(body.substr(hex ? 2 : 1), hex))
                decoded = referenced(*c, cp);
        } else if (body == "nbsp") {
            decoded = referenced(U'\u00A0', cp);
        } else {
            for (const auto& [name, character] : kNamed)
                if (body == name) decoded = std::string(character);
        }
        if (decoded) {
            out += *decoded;
            i = semi + 1;
        } else {
            out += '&';
            i = amp + 1;
        }
    }
    return out;
}

PageForms readPageForms(std::string_view page, const CodePage& cp) {
    FormBuilder builder(cp);
    readHtml(page, {[&](const HtmlTag& t) {
                        builder.tag(t);
                        return true;
                    },
                    [&](std::string_view text) { builder.text(text); }});
    return builder.finish();
}

std::vector<FormEntry> successfulEntries(const Form& form) {
    std::vector<FormEntry> entries;
    for (const FormControl& c : form.controls) {
        if (c.disabled || c.name.empty() || c.isButton()) continue;
        if (c.isCheckable() && !c.checked) continue;
        if (c.element == "select") {
            for (const FormOption& o : c.options)
                if (o.selected && !o.disabled) entries.push_back({c.name, o.value, &c});
            continue;
        }
        entries.push_back({c.name, c.value, &c});
    }
    return entries;
}

}  // namespace verrimo
