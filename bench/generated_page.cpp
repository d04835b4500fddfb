#include "generated_page.h"

namespace verrimo::bench {

namespace {

void appendBlock(std::string& page, int n) {
    const std::string id = std::to_string(n);
    page += "<div class=\"item\"><h2>\x8f\xa4\x95\x69 " + id + "</h2>\r\n";
    page += "<FORM ACTION=\"/cart/add?id=" + id + "\" METHOD=post>\r\n";
    page += "<INPUT TYPE=HIDDEN NAME=item VALUE=" + id + ">\r\n";
    page += "<Input Type=Text Name=qty value=1 size=3><br>\r\n";
    page += "<SELECT NAME=colour><OPTION VALUE=red>\x90\xd4<option value=\"blue\">\x90\xc2";
    page += "</SELECT>\r\n";
    page += "<textarea name=note rows=2></Textarea>\r\n";
    page += "<input type=\"submit\" value=\"\x92\x8d\x95\xb6\"></form>\r\n";
    page += "<a href=\"/item/" + id + "\"><IMG SRC=\"/img/" + id + ".jpg\" alt=\"\"></a> ";
    page += "<a class=\"more\" href=\"/item/" + id + "/more\">\x8f\xda\x8d\xd7</a>\r\n";
    page += "<p>\x82\xb1\x82\xcc\x8f\xa4\x95\x69\x82\xcd\x90\x6c\x8b\x43\x82\xc5\x82\xb7\x81\x42 ";
    page += "Free shipping on orders over 3000 yen.</p></div>\r\n";
}

}  // namespace

std::string generatedPage(std::size_t size) {
    std::string page;
    page.reserve(size + 1024);
    for (int n = 0; page.size() < size; ++n) appendBlock(page, n);
    return page;
}

}  // namespace verrimo::bench
