#pragma once
// The program's state between tests and fuzz inputs; free of any test framework.

// Puts every program-wide value back to its start value and closes every window.
void Reset_Program();
