#pragma once
// The program-wide object; filled in by the application shell.
