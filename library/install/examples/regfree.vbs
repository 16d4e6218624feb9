' VELDLG with nothing registered: the script makes an activation context from
' the manifest beside the DLL that matches its host's bitness (x64\ for
' cscript from System32, x86\ for cscript from SysWOW64) and creates the
' class through it.
Set fso = CreateObject("Scripting.FileSystemObject")
release = fso.GetParentFolderName(fso.GetParentFolderName(WScript.ScriptFullName))
arch = "x64"
If CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE") = "x86" Then arch = "x86"

Set context = CreateObject("Microsoft.Windows.ActCtx")
context.Manifest = release & "\" & arch & "\VELDLG.sxs.manifest"
Set m = context.CreateObject("VELDLG.CustomMessage")
m.NumButtons = 2
m.ButtonCaptions = "OK,Cancel"
m.Message = "VELDLG runs here with nothing registered."
m.ShowForm
WScript.Echo "Button " & m.ButtonResultValue & " (" & m.ButtonResultCaption & ")"
