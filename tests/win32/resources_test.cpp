// The Windows program's resource script against the shell: menu 101 must
// offer the same menus, items and command ids, in the same order, as the
// menu every other host builds from mainMenus, and icon 102 must be there.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "shell/main_window.h"

namespace {

struct ScriptItem {
    std::string title;
    int commandId;
};

struct ScriptMenu {
    std::string title;
    std::vector<ScriptItem> items;
};

std::vector<std::string> scriptLines()
{
    std::ifstream file(TESSEL_RESOURCE_SCRIPT);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) lines.push_back(line);
    return lines;
}

std::vector<ScriptMenu> scriptMenus()
{
    const std::regex popup(R"re(^\s*POPUP\s+"([^"]*)"\s*$)re");
    const std::regex item(R"re(^\s*MENUITEM\s+"([^"]*)"\s*,\s*(\d+)\s*$)re");
    std::vector<ScriptMenu> menus;
    std::smatch match;
    for (const std::string& line : scriptLines()) {
        if (std::regex_match(line, match, popup)) {
            menus.push_back({match[1], {}});
        } else if (std::regex_match(line, match, item)) {
            if (menus.empty()) ADD_FAILURE() << "item outside a menu: " << line;
            else menus.back().items.push_back({match[1], std::stoi(match[2])});
        }
    }
    return menus;
}

bool declares(const std::string& pattern)
{
    const std::regex declaration(pattern);
    for (const std::string& line : scriptLines()) {
        if (std::regex_match(line, declaration)) return true;
    }
    return false;
}

TEST(Win32Resources, MenuMatchesTheShellsMenu)
{
    std::vector<ScriptMenu> menus = scriptMenus();
    ASSERT_EQ(menus.size(), static_cast<size_t>(MAIN_MENU_COUNT));
    for (int m = 0; m < MAIN_MENU_COUNT; ++m) {
        const Menu& shell = mainMenus[m];
        SCOPED_TRACE(shell.title);
        EXPECT_EQ(menus[m].title, shell.title);
        ASSERT_EQ(menus[m].items.size(), static_cast<size_t>(shell.itemCount));
        for (int i = 0; i < shell.itemCount; ++i) {
            EXPECT_EQ(menus[m].items[i].title, shell.items[i].title);
            EXPECT_EQ(menus[m].items[i].commandId, shell.items[i].command);
        }
    }
}

TEST(Win32Resources, LoadIsTheFirstItemOfFile)
{
    // The smoke test and the user find Load there.
    std::vector<ScriptMenu> menus = scriptMenus();
    ASSERT_FALSE(menus.empty());
    ASSERT_FALSE(menus[0].items.empty());
    EXPECT_EQ(menus[0].title, "File");
    EXPECT_EQ(menus[0].items[0].commandId, ID_FILE_LOAD);
}

TEST(Win32Resources, DeclaresMenu101AndIcon102)
{
    EXPECT_TRUE(declares(R"re(^101\s+MENU\s*$)re"));
    EXPECT_TRUE(declares(R"re(^102\s+ICON\s+"tessel\.ico"\s*$)re"));
}

}  // namespace
