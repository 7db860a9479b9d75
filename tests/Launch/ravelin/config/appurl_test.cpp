#include <gtest/gtest.h>

#include "catalog.h"
#include "config_fixture.h"

using namespace NimboNS;
using config_test::ConfigUnderTest;

namespace {

struct UrlCase {
    const char* name;
    const wchar_t* url;
    int result;
    const wchar_t* protocol;
    const wchar_t* host;
    const wchar_t* port;
    const wchar_t* baseUrl;
    const wchar_t* appName;
    const wchar_t* urlParameter;
};

const UrlCase kUrlCases[] = {
    {"DefaultHttpsPortAndPathPrefix", L"https://srv/apps/sales/", 0, L"https", L"srv", L"443",
     L"https://srv:443/apps", L"sales", L""},
    {"PageNameAndQueryDropped", L"http://srv:8080/sales/index.html?x=1", 0, L"http", L"srv", L"8080",
     L"http://srv:8080", L"sales", L"x=1"},
    {"HostAndAppOnly", L"http://srv/app", 0, L"http", L"srv", L"80", L"http://srv:80", L"app", L""},
    {"TrailingSlashIgnored", L"http://srv/app/", 0, L"http", L"srv", L"80", L"http://srv:80", L"app", L""},
    {"DeepPrefixWithPort", L"http://srv:81/a/b/c", 0, L"http", L"srv", L"81", L"http://srv:81/a/b", L"c",
     L""},
    {"HtmPageDropped", L"http://srv/app/start.htm", 0, L"http", L"srv", L"80", L"http://srv:80", L"app", L""},
    {"PageCheckIsCaseSensitive", L"http://srv/app/start.HTML", 0, L"http", L"srv", L"80",
     L"http://srv:80/app", L"start.HTML", L""},
    {"ExplicitPort", L"https://srv:8443/app", 0, L"https", L"srv", L"8443", L"https://srv:8443", L"app", L""},
    {"HostWithoutPath", L"http://srv/", 0, L"http", L"srv", L"80", L"http://srv:80", L"", L""},
    {"LonePageNameIsKept", L"http://srv/index.html", 0, L"http", L"srv", L"80", L"http://srv:80",
     L"index.html", L""},
    {"DotInPrefixIsNoPage", L"http://srv/apps.v2/sales", 0, L"http", L"srv", L"80", L"http://srv:80/apps.v2",
     L"sales", L""},
    {"ParametersWithoutPage", L"http://srv/sales?x=1&y=2", 0, L"http", L"srv", L"80", L"http://srv:80",
     L"sales", L"x=1&y=2"},
    {"FoundInsideLongerText", L"open http://srv/sales now", 0, L"http", L"srv", L"80", L"http://srv:80",
     L"sales", L" now"},
    {"OtherSchemeFails", L"ftp://srv/app", 5},
    {"CapitalSchemeFails", L"HTTP://srv/app", 5},
    {"NoSlashAfterHostFails", L"http://srv", 5},
    {"NotAUrlFails", L"C:\\apps\\sales.exe", 5},
};

class ParseUrlTable : public testing::TestWithParam<UrlCase> {};

TEST_P(ParseUrlTable, SplitsTheAppUrl) {
    const UrlCase& c = GetParam();
    ConfigUnderTest t;
    t.config.url = c.url;
    ASSERT_EQ(t.config.ParseUrl(), c.result);
    if (c.result != 0) {
        EXPECT_EQ(t.config.protocol, L"");
        EXPECT_EQ(t.config.host, L"");
        EXPECT_EQ(t.config.appUrl, L"");
        EXPECT_EQ(t.config.url, c.url) << "the request's URL stays as it was";
        return;
    }
    EXPECT_EQ(t.config.protocol, c.protocol);
    EXPECT_EQ(t.config.host, c.host);
    EXPECT_EQ(t.config.port, c.port);
    EXPECT_EQ(t.config.baseUrl, c.baseUrl);
    EXPECT_EQ(t.config.appName, c.appName);
    EXPECT_EQ(t.config.appUrl, std::wstring(c.baseUrl) + L"/" + c.appName);
    EXPECT_EQ(t.config.GetAppUrl(), t.config.appUrl);
    EXPECT_EQ(t.config.urlParameter, c.urlParameter);
    EXPECT_EQ(t.config.GetUrl(), c.url);
}

INSTANTIATE_TEST_SUITE_P(Urls, ParseUrlTable, testing::ValuesIn(kUrlCases),
                         [](const testing::TestParamInfo<UrlCase>& info) { return info.param.name; });

TEST(ParseUrl, LogsEachPartWithItsCatalogueText) {
    ConfigUnderTest t;
    t.config.url = L"http://srv:8080/sales/index.html?x=1";
    ASSERT_EQ(t.config.ParseUrl(), 0);
    EXPECT_TRUE(t.Logged(L" INFO  [")) << t.Log();
    EXPECT_TRUE(t.Logged(L"Application URL: http://srv:8080/sales.\n")) << t.Log();
    EXPECT_TRUE(t.Logged(L"Application protocol: http.\n"));
    EXPECT_TRUE(t.Logged(L"Application host name: srv.\n"));
    EXPECT_TRUE(t.Logged(L"Application server port: 8080.\n"));
    EXPECT_TRUE(t.Logged(L"Application name: sales.\n"));
    EXPECT_TRUE(t.Logged(L"Application URL parameter: x=1.\n"));
}

TEST(ParseUrl, EmptyValuesWriteNoLine) {
    ConfigUnderTest t;
    t.config.url = L"https://srv/";
    ASSERT_EQ(t.config.ParseUrl(), 0);
    EXPECT_TRUE(t.Logged(L"Application server port: 443.\n")) << t.Log();
    EXPECT_FALSE(t.Logged(L"Application name:")) << t.Log();
    EXPECT_FALSE(t.Logged(L"Application URL parameter:")) << t.Log();
}

TEST(ParseUrl, VersionUrlFollowsTheAppUrl) {
    ConfigUnderTest t;
    t.config.url = L"https://srv/apps/sales";
    ASSERT_EQ(t.config.ParseUrl(), 0);
    t.config.version = L"1.2.0.3";
    EXPECT_EQ(t.config.GetVersionUrl(), L"https://srv:443/apps/sales/1.2.0.3");
}

}  // namespace
