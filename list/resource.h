#pragma once
// Resource ids of the list picker, shared by list.rc and the form.

#define IDI_CUSTOMLIST 501
