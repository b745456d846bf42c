#pragma once
// One QApplication for every test of a widget test program, with the
// application profile kept in the test area of the user's folders.
#include <QApplication>

namespace qx::test {

QApplication& qtApp();
// Removes everything the tests wrote into the application profile.
void clearProfile();

}  // namespace qx::test
