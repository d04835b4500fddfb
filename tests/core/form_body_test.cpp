// The fields of a form read back from the bytes that went out.
#include "form_body.h"

#include <gtest/gtest.h>

using namespace verrimo;

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

Fields pairs(const std::vector<SentField>& fields) {
    Fields out;
    for (const SentField& f : fields) out.emplace_back(f.name, f.value + (f.file ? " (file)" : ""));
    return out;
}

struct Case {
    const char* name;
    std::vector<SentField> (*read)(std::string_view);
    const char* text;
    Fields fields;
};

std::vector<SentField> multipartQ(std::string_view body) {
    return multipartFields(body, "q1");
}

const Case kCases[] = {
    {"urlencoded",
     urlEncodedFields,
     "a=1+2&b=%26%3D%25%2B&c&=e&&d=",
     {{"a", "1 2"}, {"b", "&=%+"}, {"c", ""}, {"", "e"}, {"d", ""}}},
    {"urlencoded bytes",
     urlEncodedFields,
     "%82%A0=%E6%9D%B1%0D%0A",
     {{"\x82\xA0", "\xE6\x9D\xB1\r\n"}}},
    {"urlencoded empty", urlEncodedFields, "", {}},
    {"text/plain",
     plainTextFields,
     "a=1 2\r\nb=x=y\r\nc\r\n\r\n",
     {{"a", "1 2"}, {"b", "x=y"}, {"c", ""}}},
    {"multipart",
     multipartQ,
     "--q1\r\nContent-Disposition: form-data; name=\"a%22b%0D%0A\"\r\n\r\nline1\r\nline2\r\n"
     "--q1\r\ncontent-disposition: form-data; filename=\"x.txt\"; name=\"f\"\r\n"
     "Content-Type: text/plain\r\n\r\nfile text\r\n--q1\r\n"
     "Content-Disposition: form-data; name=\"e\"\r\n\r\n\r\n--q1--\r\n",
     {{"a\"b\r\n", "line1\r\nline2"}, {"f", "file text (file)"}, {"e", ""}}},
    {"multipart cut off",
     multipartQ,
     "--q1\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nrest",
     {{"a", "rest"}}},
    {"multipart without its boundary", multipartQ, "a=1", {}},
};

TEST(FormBody, FieldsAsSent) {
    for (const Case& c : kCases) EXPECT_EQ(pairs(c.read(c.text)), c.fields) << c.name;
}

TEST(FormBody, Boundary) {
    EXPECT_EQ(multipartBoundary("multipart/form-data; boundary=----WebKitFormBoundaryX1"),
              "----WebKitFormBoundaryX1");
    EXPECT_EQ(multipartBoundary("multipart/form-data; BOUNDARY=\"a b\"; charset=x"), "a b");
    EXPECT_EQ(multipartBoundary("multipart/form-data"), "");
}

}  // namespace
