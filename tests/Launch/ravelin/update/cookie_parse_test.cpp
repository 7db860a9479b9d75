// Cookie texts in and out of the store.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>

#include "cookie/cookiemanager.h"

namespace {

using NimboNS::CCookieManager;

struct Store {
    CCookieManager* store = new CCookieManager();
    ~Store() { store->Release(); }
    CCookieManager* operator->() const { return store; }
};

TEST(CookieStore, ParseCookiesTakesNameValuePairs) {
    struct Case {
        const wchar_t* text;
        const wchar_t* header;  // GetCookieHeader(1) afterwards, map order
    } cases[] = {
        {L"a=1; b=; c", L"a=1"},
        {L"b=2; a=1", L"a=1; b=2"},
        {L"  spaced  =  value with inner spaces  ;x=1", L"spaced=value with inner spaces; x=1"},
        {L"token=abc==; k=v=w", L"k=v=w; token=abc=="},
        {L"=nameless; ;;; novalue=", L""},
        {L"last=one", L"last=one"},
        {L"a=1; a=2", L"a=2"},
        {L"", L""},
        {L"Case=1; case=2", L"Case=1; case=2"},
    };
    for (const auto& c : cases) {
        Store s;
        EXPECT_EQ(1, s->ParseCookies(c.text, 0)) << c.text;
        EXPECT_STREQ(c.header, s->GetCookieHeader(1)) << c.text;
    }
    Store s;
    EXPECT_EQ(0, s->ParseCookies(nullptr, 0));
}

TEST(CookieStore, ParseCookiesKeepsOrClearsWhatWasThere) {
    Store s;
    s->ParseCookies(L"a=1; b=2", 0);
    s->ParseCookies(L"b=3; c=4", 0);
    EXPECT_STREQ(L"a=1; b=3; c=4", s->GetCookieHeader(1));
    s->ParseCookies(L"d=5", 1);
    EXPECT_STREQ(L"d=5", s->GetCookieHeader(1));
}

TEST(CookieStore, SetCookieLines) {
    struct Case {
        const wchar_t* before;  // ParseCookies first
        const wchar_t* lines;
        const wchar_t* header;  // GetCookieHeader(1)
    } cases[] = {
        {L"", L"Set-Cookie: a=1\r\n", L"a=1"},
        {L"", L"Set-Cookie: a=1; Path=/; Domain=example.com\r\nSet-Cookie: b=2\r\n", L"a=1; b=2"},
        {L"", L"Set-Cookie: a=1; path=/Set-Cookie: b=2", L"a=1"},  // one line: the rest is attributes
        {L"gone=1; kept=2", L"Set-Cookie: gone=x; Max-Age=0\r\n", L"kept=2"},
        {L"", L"Set-Cookie: noequals\r\nSet-Cookie: ok=1\r\n", L"ok=1"},
        {L"", L"Set-Cookie: empty=\r\nSet-Cookie: =nameless\r\n", L""},
        {L"", L"set-cookie: lower=1\r\n", L""},
        {L"", L"Set-Cookie:   spaced   =  v  ;  secure  \r\n", L"spaced=v"},
        {L"old=1", L"Set-Cookie: old=2\r\n", L"old=2"},
        {L"", L"X: y\r\nSet-Cookie: a=1; HttpOnly\r\nSet-Cookie: b=2; Secure\r\n", L"a=1; b=2"},
    };
    for (const auto& c : cases) {
        Store s;
        s->ParseCookies(c.before, 0);
        EXPECT_EQ(1, s->ParseSetCookies(c.lines)) << c.lines;
        EXPECT_STREQ(c.header, s->GetCookieHeader(1)) << c.lines;
    }
    Store s;
    EXPECT_EQ(0, s->ParseSetCookies(nullptr));
}

TEST(CookieStore, AttributesSetFlagsAndExpiry) {
    Store s;
    const long long now = _time64(nullptr);
    s->ParseSetCookies(
        L"Set-Cookie: s=1; SECURE; HttpOnly\r\n"
        L"Set-Cookie: m=1; max-age=60; expires=Wed, 21 Oct 2037 07:28:00 GMT\r\n"
        L"Set-Cookie: e=1; Expires=Wed, 21 Oct 2037 07:28:00 GMT; Max-Age=60\r\n"
        L"Set-Cookie: bad=1; expires=someday\r\n");
    const auto* secure = s->FindCookie(L"s");
    ASSERT_NE(nullptr, secure);
    EXPECT_EQ(1, secure->secure);
    EXPECT_EQ(1, secure->httponly);
    EXPECT_EQ(0, secure->expiry);

    // max-age first: the expires after it is ignored.
    const auto* maxAge = s->FindCookie(L"m");
    ASSERT_NE(nullptr, maxAge);
    EXPECT_EQ(60, maxAge->maxAge);
    EXPECT_GE(maxAge->expiry, now + 60);
    EXPECT_LE(maxAge->expiry, now + 62);

    // expires first, then max-age: max-age wins all the same.
    const auto* both = s->FindCookie(L"e");
    ASSERT_NE(nullptr, both);
    EXPECT_LE(both->expiry, now + 62);

    const auto* bad = s->FindCookie(L"bad");
    ASSERT_NE(nullptr, bad);
    EXPECT_LE(bad->expiry, 0);
    EXPECT_EQ(-1, bad->maxAge);
}

TEST(CookieStore, ExpiredCookiesLeaveHeaderAndMap) {
    struct Case {
        const wchar_t* line;
    } cases[] = {
        {L"Set-Cookie: old=1; expires=Wed, 21 Oct 2015 07:28:00 GMT\r\n"},
        {L"Set-Cookie: old=1; max-age=-5\r\n"},
        // The usual way for a server to delete a cookie.
        {L"Set-Cookie: old=1; expires=Thu, 01 Jan 1970 00:00:00 GMT\r\n"},
    };
    for (const auto& c : cases) {
        Store s;
        s->ParseCookies(L"old=0; live=1", 0);
        s->ParseSetCookies(c.line);
        ASSERT_NE(nullptr, s->FindCookie(L"old")) << c.line;
        EXPECT_STREQ(L"live=1", s->GetCookieHeader(1)) << c.line;
        EXPECT_EQ(nullptr, s->FindCookie(L"old")) << c.line;
    }
}

TEST(CookieStore, SecureCookiesOnlyWhenAsked) {
    Store s;
    s->ParseSetCookies(L"Set-Cookie: a=1\r\nSet-Cookie: b=2; secure\r\nSet-Cookie: c=3\r\n");
    EXPECT_STREQ(L"a=1; c=3", s->GetCookieHeader(0));
    EXPECT_STREQ(L"a=1; b=2; c=3", s->GetCookieHeader(1));
}

TEST(CookieStore, SetCookieHeadersReadBackIntoAnotherStore) {
    Store s;
    s->ParseSetCookies(
        L"Set-Cookie: a=1; expires=Wed, 21 Oct 2037 07:28:00 GMT; secure; httponly\r\n"
        L"Set-Cookie: b=2; max-age=3600\r\n"
        L"Set-Cookie: c=3\r\n");
    const std::wstring lines = s->GetSetCookieHeaders();
    EXPECT_EQ(0u, lines.find(L"Set-Cookie: a=1; expires=Wed, 21 Oct 2037 07:28:00 GMT; secure; httponly\r\n"))
        << lines;
    EXPECT_NE(std::wstring::npos, lines.find(L"\r\nSet-Cookie: c=3\r\n")) << lines;
    EXPECT_EQ(std::wstring::npos, lines.find(L"max-age")) << lines;

    Store copy;
    copy->ParseSetCookies(lines.c_str());
    for (const wchar_t* name : {L"a", L"b", L"c"}) {
        const auto* original = s->FindCookie(name);
        const auto* read = copy->FindCookie(name);
        ASSERT_NE(nullptr, read) << name;
        EXPECT_EQ(original->value, read->value) << name;
        EXPECT_EQ(original->expiry, read->expiry) << name;
        EXPECT_EQ(original->secure, read->secure) << name;
        EXPECT_EQ(original->httponly, read->httponly) << name;
    }
    Store empty;
    EXPECT_STREQ(L"", empty->GetSetCookieHeaders());
}

TEST(CookieStore, CookieTextKeepsTheNewestStamp) {
    struct Step {
        const wchar_t* text;
        unsigned stamp;
        const wchar_t* expected;
    } steps[] = {
        {L"first", 100, L"first"}, {L"older", 50, L"first"}, {L"same", 100, L"first"},
        {L"newer", 101, L"newer"}, {nullptr, 200, L""},      {L"zero", 0, L""},
    };
    Store s;
    EXPECT_STREQ(L"", s->GetCookieText());
    for (const auto& step : steps) {
        s->SetCookieText(step.text, step.stamp);
        EXPECT_STREQ(step.expected, s->GetCookieText()) << step.stamp;
    }
}

// The download library asks for headers on every request; the request's own cookie text, which
// the started app receives, must survive that.
TEST(CookieStore, HeadersNeverOverwriteTheRequestText) {
    Store s;
    s->SetCookieText(L"session=abc; user=me", 10);
    s->ParseCookies(L"a=1; b=2", 0);
    EXPECT_STREQ(L"a=1; b=2", s->GetCookieHeader(1));
    EXPECT_NE(std::wstring(s->GetSetCookieHeaders()).find(L"Set-Cookie: a=1"), std::wstring::npos);
    EXPECT_STREQ(L"session=abc; user=me", s->GetCookieText());
}

TEST(CookieStore, ExpiryDatesReadAndWritten) {
    struct Case {
        const wchar_t* text;
        bool read;
        long long seconds;
    } cases[] = {
        {L"Wed, 21 Oct 2015 07:28:00 GMT", true, 1445412480},
        {L"thu, 01 JAN 1970 00:00:00 GMT", true, 0},
        {L"Sun, 06 Nov 1994 08:49:37 GMT", true, 784111777},
        {L"Wed, 31 Feb 2015 07:28:00 GMT", false, 0},
        {L"Wed, 21 Foo 2015 07:28:00 GMT", false, 0},
        {L"Wednesday, 21-Oct-15 07:28:00 GMT", false, 0},
        {L"", false, 0},
    };
    for (const auto& c : cases) {
        long long seconds = -7;
        EXPECT_EQ(c.read, NimboNS::ParseCookieDate(c.text, seconds)) << c.text;
        if (c.read) {
            EXPECT_EQ(c.seconds, seconds) << c.text;
        }
    }
    EXPECT_EQ(L"Wed, 21 Oct 2015 07:28:00 GMT", NimboNS::FormatCookieDate(1445412480));
}

}  // namespace
