' VELDLG.CustomList from VBScript. A script's arrays, from Array and Split
' alike, are arrays of Variants, which the list refuses; a script cannot
' build an array of strings, so on this thread no list is ever put.
On Error Resume Next

Set c = CreateObject("VELDLG.CustomList")
Check "new object: ListIndex", c.ListIndex, 0
Check "new object: ListItem", c.ListItem, ""
Check "ListIndex is an Integer", VarType(c.ListIndex), vbInteger

c.ListArray = Array("Red", "Green", "Blue")
CheckError "an Array() list", 13, "VELDLG", "Type mismatch"
c.ListArray = Split("Red,Green,Blue", ",")
CheckError "a Split() list", 13, "VELDLG", "Type mismatch"
Dim fixed(2)
fixed(0) = "Red": fixed(1) = "Green": fixed(2) = "Blue"
c.ListArray = fixed
CheckError "a Dim'd array", 13, "VELDLG", "Type mismatch"
Dim never()
c.ListArray = never
CheckNumber "an array never dimensioned", 13
c.ListArray = "Red,Green,Blue"
CheckNumber "a string", 13

x = c.ListArray
CheckNumber "ListArray cannot be read", 438
c.FormCaption = "Pick a Colour"
CheckNumber "FormCaption put", 0
x = c.FormCaption
CheckNumber "FormCaption cannot be read", 438

c.ListIndex = 7
c.ListItem = "  seven  "
CheckNumber "result puts", 0
c.ShowForm
CheckError "ShowForm with no list", 9, "VELDLG", "Subscript out of range"
Check "ListIndex kept", c.ListIndex, 7
Check "ListItem kept, spaces and all", c.ListItem, "  seven  "

c.ListIndex = 40000
CheckNumber "ListIndex past 16 bits", 6
Check "the refused index is not kept", c.ListIndex, 7
c.ListIndex = "12"
Check "a numeric text is an index", c.ListIndex, 12

Set d = CreateObject("VELDLG.CustomList")
d.ShowForm
CheckNumber "a second object shares the empty list", 9
Check "its results stay new", d.ListIndex & "|" & d.ListItem, "0|"

Done
