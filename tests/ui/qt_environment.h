#pragma once
// One QApplication for every test of a widget test program, with the
// application profile kept in a temporary folder of the test program's own.
#include <QApplication>
#include <filesystem>

namespace qx::test {

QApplication& qtApp();
// Removes everything the tests wrote into the application profile.
void clearProfile();
// Copies the project the demo job saved (QX_DEMO_PROJECT names it) into
// `dir` as demo.qrx; an empty path when the variable is not set.
std::filesystem::path copyDemoProject(const std::filesystem::path& dir);

}  // namespace qx::test
