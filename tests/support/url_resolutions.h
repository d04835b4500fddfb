// Addresses and what browsers resolve them to: each answer is what new URL(reference, base).href
// gives in Qt WebEngine (form_submission_test checks them there), without the fragment.
#pragma once

namespace verrimo::test {

struct Resolution {
    const char* base;
    const char* reference;
    const char* resolved;  // nullptr where a browser cannot parse the address
};

inline const char* const kBase = "http://a.test/b/c/d;p?q";

inline const Resolution kResolutions[] = {
    {kBase, "g", "http://a.test/b/c/g"},
    {kBase, "./g/", "http://a.test/b/c/g/"},
    {kBase, "/g", "http://a.test/g"},
    {kBase, "//h.test/g", "http://h.test/g"},
    {kBase, "?y", "http://a.test/b/c/d;p?y"},
    {kBase, "", "http://a.test/b/c/d;p?q"},
    {kBase, "#s", "http://a.test/b/c/d;p?q"},
    {kBase, "?q#f", "http://a.test/b/c/d;p?q"},
    {kBase, "../../../g", "http://a.test/g"},
    {kBase, "../g?x=1", "http://a.test/b/g?x=1"},
    {kBase, "https://x.test", "https://x.test/"},
    {kBase, " post.cgi ", "http://a.test/b/c/post.cgi"},
    // A backslash is a slash in an http address, so two of them begin another host.
    {kBase, "\\\\h2.example/login", "http://h2.example/login"},
    {kBase, "cgi\\post.cgi", "http://a.test/b/c/cgi/post.cgi"},
    {kBase, "..\\..\\x", "http://a.test/x"},
    {kBase, "/\\x", "http://x/"},
    {kBase, "http:\\\\x\\y", "http://x/y"},
    // Another scheme's slashes are skipped to its host; the same scheme's is relative.
    {"https://a.test/b", "http:/safe.example/..//evil.example/x",
     "http://safe.example//evil.example/x"},
    {kBase, "http:/safe.example/..//evil.example/x", "http://a.test//evil.example/x"},
    {kBase, "HTTP:foo", "http://a.test/b/c/foo"},
    {"https://a.test/b", "http:foo", "http://foo/"},
    {kBase, "///x", "http://x/"},
    // Default ports go; hosts are lower case, IPv4 numbers read in any base.
    {kBase, "http://host:80/", "http://host/"},
    {kBase, "https://host:443/x", "https://host/x"},
    {kBase, "ftp://h:21/x", "ftp://h/x"},
    {kBase, "ws://h:80/x", "ws://h/x"},
    {kBase, "http://x:/y", "http://x/y"},
    {kBase, "http://EX.com:0080/%2e%2E/./a/%2e/b", "http://ex.com/a/b"},
    {kBase, "http://h/a/..%2f", "http://h/a/..%2f"},
    {kBase, "http://%41.com/", "http://a.com/"},
    {kBase, "//0x7f.1/x", "http://127.0.0.1/x"},
    {kBase, "http://0300.0250.1.1/", "http://192.168.1.1/"},
    {kBase, "http://1.2.3/", "http://1.2.0.3/"},
    {kBase, "http://4294967295/", "http://255.255.255.255/"},
    {kBase, "http://h.example./", "http://h.example./"},
    {kBase, "http://[::1]:80/", "http://[::1]/"},
    {kBase, "http://[0:0:0:0:0:0:0:1]/", "http://[::1]/"},
    {kBase, "http://[::ffff:1.2.3.4]/", "http://[::ffff:102:304]/"},
    {kBase, "http://u:p@h/", "http://u:p@h/"},
    {kBase, "http://@h/", "http://h/"},
    {kBase, "http://:p@h/", "http://:p@h/"},
    // Tabs and line breaks inside go, as do controls and blanks around.
    {kBase, "\t p\na\rth \t", "http://a.test/b/c/path"},
    {kBase, " \x01x\x1f ", "http://a.test/b/c/x"},
    // Where browsers percent-encode.
    {kBase, "a b<>\"`{}|^[]~", "http://a.test/b/c/a%20b%3C%3E%22%60%7B%7D%7C%5E[]~"},
    {kBase, "?a b<>\"`{}'", "http://a.test/b/c/d;p?a%20b%3C%3E%22`{}%27"},
    {kBase, "javascript:alert(1)", "javascript:alert(1)"},
    {kBase, "mailto:x@y", "mailto:x@y"},
    {kBase, "data:text/html,x y", "data:text/html,x y"},
    {kBase, "file:///C:/x", "file:///C:/x"},
    // Addresses a browser cannot parse.
    {kBase, "http://h:65536/", nullptr},
    {kBase, "http://1.2.3.4.5/", nullptr},
    {kBase, "http://0x100000000/", nullptr},
    {kBase, "//", nullptr},
    {kBase, "http://", nullptr},
    {kBase, "http://a:b@c:d/", nullptr},
    // Domains past ASCII as IDNA maps them, full-width and ideographic full stops read as dots.
    {kBase, "http://日本語.jp/form.html", "http://xn--wgv71a119e.jp/form.html"},
    {kBase, "//日本語．jp/x", "http://xn--wgv71a119e.jp/x"},
    {kBase, "http://日本語。JP/", "http://xn--wgv71a119e.jp/"},
    {kBase, "http://日本語｡jp./", "http://xn--wgv71a119e.jp./"},
    {kBase, "http://ＥＸＡＭＰＬＥ.com/", "http://example.com/"},
    {kBase, "http://%E6%97%A5%E6%9C%AC%E8%AA%9E.jp/", "http://xn--wgv71a119e.jp/"},
    {kBase, "http://user:pw@日本語.jp:8080/", "http://user:pw@xn--wgv71a119e.jp:8080/"},
    {kBase, "http://１２７．０．０．１/", "http://127.0.0.1/"},
    {kBase, "http://xn--wgv71a119e.jp/", "http://xn--wgv71a119e.jp/"},
    {kBase, "http://%FF.jp/", nullptr},
    {kBase, "http://a%00b/", nullptr},
    // IPv4 in its forms, IPv6, ports and user names.
    {kBase, "http://127.1/", "http://127.0.0.1/"},
    {kBase, "http://0x7f.0.0.1/", "http://127.0.0.1/"},
    {kBase, "http://0177.0.0.1/", "http://127.0.0.1/"},
    {kBase, "http://2130706433/", "http://127.0.0.1/"},
    {kBase, "http://0x7F000001/", "http://127.0.0.1/"},
    {kBase, "http://%31%32%37.0.0.1/", "http://127.0.0.1/"},
    {kBase, "http://127.0.0.1./", "http://127.0.0.1/"},
    {kBase, "http://256.0.0.1/", nullptr},
    {kBase, "http://[1:0::]/", "http://[1::]/"},
    {kBase, "http://[::1.2.3.4]/", "http://[::102:304]/"},
    {kBase, "http://[1:2:3:4:5:6:7:8]/", "http://[1:2:3:4:5:6:7:8]/"},
    {kBase, "http://[1:0:0:2::3:0]/", "http://[1::2:0:0:3:0]/"},
    {kBase, "http://[::1/", nullptr},
    {kBase, "http://[1:2:3:4:5:6:7:8:9]/", nullptr},
    {kBase, "http://[1::2::3]/", nullptr},
    {kBase, "http://[g::1]/", nullptr},
    {kBase, "http://h:0/", "http://h:0/"},
    {kBase, "http://h:65535/", "http://h:65535/"},
    {kBase, "https://h:80/", "https://h:80/"},
    {kBase, "http://h:00000000080/", "http://h/"},
    {kBase, "http://f:999999/c", nullptr},
    {kBase, "http://h:8x/", nullptr},
    {kBase, "http://h:-1/", nullptr},
    {kBase, "http://a%25b/", nullptr},
    {kBase, "http://user:pa ss@h/", "http://user:pa%20ss@h/"},
    {kBase, "http://a@b@h/", "http://a%40b@h/"},
    {kBase, "http://u:p:q@h/", "http://u:p%3Aq@h/"},
    {kBase, "http://u@:1/", nullptr},
    {kBase, "foo://日本語.jp/x", "foo://%E6%97%A5%E6%9C%AC%E8%AA%9E.jp/x"},
    {kBase, "file://h.test/x", "file://h.test/x"},
    // Without a base, only an absolute address.
    {"", "http://x", "http://x/"},
    {"", "post.cgi", nullptr},
};

// Where the URL Standard has moved on from the parser of this Qt WebEngine, the Standard's
// answers: a space, "<" or a "%20" in a domain, and an IPv4 address of three parts in an IPv6
// one, are refused (this engine escapes or pads them); "localhost" is no host of a file: address.
inline const Resolution kStandardResolutions[] = {
    {kBase, "http://a b/x", nullptr},      {kBase, "http://a<b/", nullptr},
    {kBase, "http://a%20b/", nullptr},     {kBase, "http://日本 語.jp/", nullptr},
    {kBase, "http://[::1.2.3]/", nullptr}, {kBase, "file://localhost/x", "file:///x"},
};

// Addresses and the origin a browser gives them: new URL(url).origin in Qt WebEngine
// (form_submission_test checks them there); nullptr where a browser cannot parse the address.
struct OriginOf {
    const char* url;
    const char* origin;
};

inline const OriginOf kOrigins[] = {
    {"http://www.example.org/a/b.html?q=1#top", "http://www.example.org"},
    {"https://www.example.org:443/", "https://www.example.org"},
    {"http://www.example.org:80/", "http://www.example.org"},
    {"http://www.example.org:080/", "http://www.example.org"},
    {"http://www.example.org:443/", "http://www.example.org:443"},
    {"https://h.test:80/", "https://h.test:80"},
    {"HTTP://User:Pw@WWW.Example.ORG:81/", "http://www.example.org:81"},
    {"http://[::1]:8000/x", "http://[::1]:8000"},
    {"http://[0:0:0:0:0:0:0:1]/x", "http://[::1]"},
    {"http://[::FFFF:127.0.0.1]/", "http://[::ffff:7f00:1]"},
    {"http://0x7f.1/", "http://127.0.0.1"},
    {"http://日本語.jp:8080/", "http://xn--wgv71a119e.jp:8080"},
    {"http://h.test:/x", "http://h.test"},
    {"http:\\\\h.test\\x", "http://h.test"},
    {"http:///x", "http://x"},
    {"ws://h.test:80/", "ws://h.test"},
    {"wss://h.test:443/", "wss://h.test"},
    {"ftp://h.test:21/", "ftp://h.test"},
    {"data:text/html,<form>", "null"},
    {"about:blank", "null"},
    {"javascript:alert(1)", "null"},
    {"http://h.test:99999/", nullptr},
    {"http://:80/", nullptr},
    {"top.html", nullptr},
};

// The Standard's origins where this engine's new URL().origin differs: any scheme but the web's
// has an opaque origin (this engine writes "mailto://"), and a page at a file: address sends
// "Origin: null" (though new URL().origin says "file://").
inline const OriginOf kStandardOrigins[] = {
    {"mailto:a@b.test", "null"},
    {"foo://h.test:1/x", "null"},
    {"file:///home/u/form.html", "null"},
    {"file://h.test/form.html", "null"},
    {"http://a b/", nullptr},
};

}  // namespace verrimo::test
