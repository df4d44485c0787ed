// The Windows program's text output: a program of the windows subsystem has
// no console of its own.
#pragma once

namespace adjust {

// Sends stdout and stderr to the console of the program that started this
// one, where they lead nowhere yet (started from a console, not redirected);
// both write bytes as they are, with no "\r" added.
void UseParentConsole();

}  // namespace adjust
