' Every class, created by ProgID from an installation and used once. The exit
' code counts the classes that work: a script stopped by an error exits with 0.
n = 0
For Each name In Array("CustomMessage", "LabelStartPosition", "DateRange", "CustomList")
    If TypeName(CreateObject("VELDLG." & name)) = "_" & name Then n = n + 1
Next
WScript.Quit n
