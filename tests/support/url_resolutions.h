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
    // Without a base, only an absolute address.
    {"", "http://x", "http://x/"},
    {"", "post.cgi", nullptr},
};

}  // namespace verrimo::test
