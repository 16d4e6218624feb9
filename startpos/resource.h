#pragma once
// Resource ids of the start position picker, shared by its .rc file and code.

#define IDI_FRMSTARTPOS 300
