// The settings page's files: what is served, with which type, and that
// nothing outside the page's directory is.
#include "StaticFiles.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>

namespace {

class StaticFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/sensord-web-XXXXXX";
        m_strDir = mkdtemp(dir);
        mkdir((m_strDir + "/web").c_str(), 0755);
        mkdir((m_strDir + "/web/lib").c_str(), 0755);
        write("/web/index.html", "<!doctype html><title>camera</title>");
        write("/web/lib/app.js", "export const x = 1;");
        write("/web/.hidden.js", "secret");
        write("/web/notes.txt", "not a page file");
        write("/secret.html", "outside");
    }
    void TearDown() override {
        std::string command = "rm -rf " + m_strDir;
        EXPECT_EQ(0, std::system(command.c_str()));
    }
    void write(const std::string& p_strName, const std::string& p_strContent) {
        std::ofstream(m_strDir + p_strName) << p_strContent;
    }
    std::string m_strDir;
};

}  // namespace

TEST_F(StaticFilesTest, ThePageAndItsModulesAreServedWithTheirTypes) {
    StaticFiles files(m_strDir + "/web");
    HttpResponse index;
    ASSERT_TRUE(files.serve("/", index));
    EXPECT_EQ("<!doctype html><title>camera</title>", index.strBody);
    EXPECT_EQ("text/html; charset=utf-8", index.strContentType);
    HttpResponse module;
    ASSERT_TRUE(files.serve("/lib/app.js", module));
    EXPECT_EQ("text/javascript; charset=utf-8", module.strContentType);
    bool policy = false;
    for (const auto& header : module.headers) {
        policy = policy || header.first == "Content-Security-Policy";
    }
    EXPECT_TRUE(policy);
}

TEST_F(StaticFilesTest, NothingOutsideThePagesDirectoryNorOfAnotherKindIsServed) {
    StaticFiles files(m_strDir + "/web");
    for (const char* path : {"/../secret.html", "/lib/../../secret.html", "/.hidden.js",
                             "/notes.txt", "/lib", "/lib/", "//index.html", "/missing.html",
                             "index.html", "/lib//app.js", "/%2e%2e/secret.html", ""}) {
        HttpResponse response;
        EXPECT_FALSE(files.serve(path, response)) << path;
    }
}
