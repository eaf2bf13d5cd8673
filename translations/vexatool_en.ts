<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>AboutClass</name>
    <message>
        <location filename="../src/app/CDlgAbout.ui" line="+63" />
        <source>User Help</source>
        <translation>User Help</translation>
    </message>
    <message>
        <location line="+97" />
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <location line="+17" />
        <source>More</source>
        <translation>More</translation>
    </message>
</context>
<context>
    <name>AboutDialog</name>
    <message>
        <location filename="../src/app/AboutDialog.cpp" line="+14" />
        <source>VEXA</source>
        <translation>VEXA</translation>
    </message>
    <message>
        <location line="+1" />
        <source>User Help</source>
        <translation>User Help</translation>
    </message>
    <message>
        <location line="+3" />
        <source>v3.0.0.1build</source>
        <translation>v3.0.0.1build</translation>
    </message>
    <message>
        <location line="+32" />
        <source>No user manual found.</source>
        <translation>No user manual found.</translation>
    </message>
</context>
<context>
    <name>BaseDialog</name>
    <message>
        <location filename="../src/aptui/BaseDialog.ui" line="+14" />
        <source>BaseDialog</source>
        <translation>BaseDialog</translation>
    </message>
    <message>
        <location line="+57" />
        <source>null content</source>
        <translation>null content</translation>
    </message>
    <message>
        <location line="+70" />
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>BaseTitle</name>
    <message>
        <location filename="../src/aptui/BaseTitle.ui" line="+36" />
        <source>Application menu</source>
        <translation>Application menu</translation>
    </message>
    <message>
        <location line="+44" />
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Maximize or restore</source>
        <translation>Maximize or restore</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>DeviceDisplayPage</name>
    <message>
        <location filename="../src/devicelist/DeviceDisplayPage.ui" line="+14" />
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <location line="+56" />
        <source>Total number of online devices:</source>
        <translation>Total number of online devices:</translation>
    </message>
    <message>
        <location line="+33" />
        <source>Devices hidden by their maker mark</source>
        <translation>Devices hidden by their maker mark</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Sign in to ONVIF devices…</source>
        <translation>Sign in to ONVIF devices…</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Sign in to ONVIF devices</source>
        <translation>Sign in to ONVIF devices</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Sign in…</source>
        <translation>Sign in…</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Apply plan…</source>
        <translation>Apply plan…</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Export inventory</source>
        <translation>Export inventory</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Export inventory…</source>
        <translation>Export inventory…</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Find devices behind a router by asking each address of a range</source>
        <translation>Find devices behind a router by asking each address of a range</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Scan addresses</source>
        <translation>Scan addresses</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Scan addresses…</source>
        <translation>Scan addresses…</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Filter devices</source>
        <translation>Filter devices</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Filter by IP, serial number, MAC, name or type</source>
        <translation>Filter by IP, serial number, MAC, name or type</translation>
    </message>
    <message>
        <location line="+24" />
        <source>Devices</source>
        <translation>Devices</translation>
    </message>
</context>
<context>
    <name>DeviceModifyPage</name>
    <message>
        <location filename="../src/modify/DeviceModifyPage.ui" line="+80" />
        <source>New Password:</source>
        <translation>New Password:</translation>
    </message>
    <message>
        <location line="+151" />
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <location line="+64" />
        <source>Active</source>
        <translation>Active</translation>
    </message>
    <message>
        <location line="+35" />
        <source>ONVIF User:</source>
        <translation>ONVIF User:</translation>
    </message>
    <message>
        <location line="+46" />
        <source>ONVIF Password:</source>
        <translation>ONVIF Password:</translation>
    </message>
    <message>
        <location line="+49" />
        <source>Admin Password:</source>
        <translation>Admin Password:</translation>
    </message>
    <message>
        <location line="+56" />
        <source>Modify</source>
        <translation>Modify</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Set time…</source>
        <translation>Set time…</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Change ONVIF password…</source>
        <translation>Change ONVIF password…</translation>
    </message>
    <message>
        <location line="+19" />
        <source>Forget Password</source>
        <translation>Forget Password</translation>
    </message>
</context>
<context>
    <name>DeviceModifyResultPage</name>
    <message>
        <location filename="../src/modify/DeviceModifyResultPage.ui" line="+37" />
        <source>Devices Number:</source>
        <translation>Devices Number:</translation>
    </message>
    <message>
        <location line="+35" />
        <source>Failed Number:</source>
        <translation>Failed Number:</translation>
    </message>
    <message>
        <location line="+22" />
        <source>Save receipt…</source>
        <translation>Save receipt…</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Results</source>
        <translation>Results</translation>
    </message>
</context>
<context>
    <name>DeviceNetParaPage</name>
    <message>
        <location filename="../src/modify/DeviceNetParaPage.ui" line="+56" />
        <source>Modify Network parameters</source>
        <translation>Modify Network parameters</translation>
    </message>
    <message>
        <location line="+37" />
        <source>StartIp:</source>
        <translation>StartIp:</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Please set the start Ip address,then add one</source>
        <translation>Please set the start Ip address,then add one</translation>
    </message>
    <message>
        <location line="+21" />
        <source>Device Serial:</source>
        <translation>Device Serial:</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Device Name:</source>
        <translation>Device Name:</translation>
    </message>
    <message>
        <location line="+39" />
        <source>IP Address:</source>
        <translation>IP Address:</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <location line="+36" />
        <source>Subnet Mask:</source>
        <translation>Subnet Mask:</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Gateway:</source>
        <translation>Gateway:</translation>
    </message>
    <message>
        <location line="+39" />
        <source>IPv6 Address:</source>
        <translation>IPv6 Address:</translation>
    </message>
    <message>
        <location line="+39" />
        <source>IPv6 Gateway:</source>
        <translation>IPv6 Gateway:</translation>
    </message>
    <message>
        <location line="+39" />
        <source>IPv6 Prefix Length:</source>
        <translation>IPv6 Prefix Length:</translation>
    </message>
    <message>
        <location line="+36" />
        <source>Http Port:</source>
        <translation>Http Port:</translation>
    </message>
    <message>
        <location line="+36" />
        <source>RTSP Port:</source>
        <translation>RTSP Port:</translation>
    </message>
    <message>
        <location line="+40" />
        <location line="+7" />
        <source>Enable DHCP</source>
        <translation>Enable DHCP</translation>
    </message>
    <message>
        <location line="+28" />
        <source>Security Verification</source>
        <translation>Security Verification</translation>
    </message>
</context>
<context>
    <name>DevicesInfoSavePage</name>
    <message>
        <location filename="../src/export/DevicesInfoSavePage.ui" line="+13" />
        <source>File name:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <location line="+15" />
        <source>File path:</source>
        <translation>File path:</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Choose the folder</source>
        <translation>Choose the folder</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Excel workbook (.xls)</source>
        <translation>Excel workbook (.xls)</translation>
    </message>
    <message>
        <location line="+1" />
        <source>CSV, UTF-8 (.csv)</source>
        <translation>CSV, UTF-8 (.csv)</translation>
    </message>
</context>
<context>
    <name>PlanPreviewPage</name>
    <message>
        <location filename="../src/plan/PlanPreviewPage.ui" line="+53" />
        <source>Deployment plan</source>
        <translation>Deployment plan</translation>
    </message>
    <message>
        <location line="+42" />
        <source>Show marked rows only</source>
        <translation>Show marked rows only</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Plan rows</source>
        <translation>Plan rows</translation>
    </message>
    <message>
        <location line="+27" />
        <source>Admin Password:</source>
        <translation>Admin Password:</translation>
    </message>
    <message>
        <location line="+26" />
        <source>Apply plan</source>
        <translation>Apply plan</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ResetPasswordDialog</name>
    <message>
        <location filename="../src/password/ResetPasswordDialog.ui" line="+84" />
        <source>The first step, please use the two-dimensional code or directly export the key application documents, contact and send to the software manufacturer to obtain the key;</source>
        <translation>The first step, please use the two-dimensional code or directly export the key application documents, contact and send to the software manufacturer to obtain the key;</translation>
    </message>
    <message>
        <location line="+42" />
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <location line="+19" />
        <source>QR code</source>
        <translation>QR code</translation>
    </message>
    <message>
        <location line="+94" />
        <source>Second step, import the key information from the manufacturer;</source>
        <translation>Second step, import the key information from the manufacturer;</translation>
    </message>
    <message>
        <location line="+30" />
        <source>ManualInput</source>
        <translation>ManualInput</translation>
    </message>
    <message>
        <location line="+10" />
        <source>AutoInput</source>
        <translation>AutoInput</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Secret key or key file</source>
        <translation>Secret key or key file</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Choose the key file</source>
        <translation>Choose the key file</translation>
    </message>
    <message>
        <location line="+47" />
        <source>New Password:</source>
        <translation>New Password:</translation>
    </message>
    <message>
        <location line="+131" />
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <location line="+45" />
        <source>Reset IPC</source>
        <translation>Reset IPC</translation>
    </message>
</context>
<context>
    <name>ResrotePasswordDialog</name>
    <message>
        <location filename="../src/password/RestorePasswordDialog.ui" line="+34" />
        <source>Reset Default Password</source>
        <translation>Reset Default Password</translation>
    </message>
    <message>
        <location line="+27" />
        <source>Security Code:</source>
        <translation>Security Code:</translation>
    </message>
    <message>
        <location line="+50" />
        <source>New Password:</source>
        <translation>New Password:</translation>
    </message>
    <message>
        <location line="+61" />
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
</context>
<context>
    <name>ScanRangesDialog</name>
    <message>
        <location filename="../src/scan/ScanRangesDialog.ui" line="+14" />
        <source>Scan addresses</source>
        <translation>Scan addresses</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Discovery does not cross routers. Give the address ranges of the cameras' subnets: each address is asked directly, on our protocol and by WS-Discovery.</source>
        <translation>Discovery does not cross routers. Give the address ranges of the cameras' subnets: each address is asked directly, on our protocol and by WS-Discovery.</translation>
    </message>
    <message>
        <location line="+10" />
        <source>&amp;Ranges:</source>
        <translation>&amp;Ranges:</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Address ranges</source>
        <translation>Address ranges</translation>
    </message>
    <message>
        <location line="+3" />
        <source>10.2.0.0/24, 10.3.0.10-10.3.0.50, 10.4.0.7</source>
        <translation>10.2.0.0/24, 10.3.0.10-10.3.0.50, 10.4.0.7</translation>
    </message>
    <message>
        <location line="+13" />
        <source>R&amp;ecent ranges (click one to scan it again):</source>
        <translation>R&amp;ecent ranges (click one to scan it again):</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Recent ranges</source>
        <translation>Recent ranges</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Advanced</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Tries per &amp;second:</source>
        <translation>Tries per &amp;second:</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Tries per second</source>
        <translation>Tries per second</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Addresses &amp;waiting at once:</source>
        <translation>Addresses &amp;waiting at once:</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Addresses waiting at once</source>
        <translation>Addresses waiting at once</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Stop after (&amp;minutes):</source>
        <translation>Stop after (&amp;minutes):</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Stop after minutes</source>
        <translation>Stop after minutes</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Also ask over HTTP</source>
        <translation>Also ask over HTTP</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Also ask over &amp;HTTP where no probe is answered</source>
        <translation>Also ask over &amp;HTTP where no probe is answered</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Off by default: it connects to ports 80, 8080 and 8000 of every silent address, which takes longer and looks like a port scan to a network's security tools. Turn it on for devices that do not answer probes sent to them directly.</source>
        <translation>Off by default: it connects to ports 80, 8080 and 8000 of every silent address, which takes longer and looks like a port scan to a network's security tools. Turn it on for devices that do not answer probes sent to them directly.</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Scan progress</source>
        <translation>Scan progress</translation>
    </message>
    <message>
        <location line="+45" />
        <source>Scan</source>
        <translation>Scan</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>ScanSummaryDialog</name>
    <message>
        <location filename="../src/scan/ScanSummaryDialog.ui" line="+14" />
        <source>Scan summary</source>
        <translation>Scan summary</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Found:</source>
        <translation>Found:</translation>
    </message>
    <message>
        <location line="+14" />
        <source>No answer:</source>
        <translation>No answer:</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Port closed:</source>
        <translation>Port closed:</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Answered, but not a camera:</source>
        <translation>Answered, but not a camera:</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Refused sign-in:</source>
        <translation>Refused sign-in:</translation>
    </message>
    <message>
        <location line="+17" />
        <source>Scanned addresses</source>
        <translation>Scanned addresses</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Export the scan summary</source>
        <translation>Export the scan summary</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Export…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <location line="+10" />
        <location line="+3" />
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>SignInDialog</name>
    <message>
        <location filename="../src/signin/SignInDialog.ui" line="+14" />
        <source>Sign in to ONVIF devices</source>
        <translation>Sign in to ONVIF devices</translation>
    </message>
    <message>
        <source>Cameras of other makes tell their details only after a sign-in. This user name and password are used for every ONVIF device during this run.</source>
        <translation type="vanished">Cameras of other makes tell their details only after a sign-in. This user name and password are used for every ONVIF device during this run.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Cameras of other makes tell their details only after a sign-in.</source>
        <translation>Cameras of other makes tell their details only after a sign-in.</translation>
    </message>
    <message>
        <location line="+22" />
        <source>&amp;User name</source>
        <translation>&amp;User name</translation>
    </message>
    <message>
        <location line="+10" />
        <source>User name</source>
        <translation>User name</translation>
    </message>
    <message>
        <location line="+10" />
        <source>&amp;Password</source>
        <translation>&amp;Password</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Sign in to &amp;new devices automatically</source>
        <translation>Sign in to &amp;new devices automatically</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Sign in to new devices automatically</source>
        <translation>Sign in to new devices automatically</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Also gives this login to every ONVIF device found later. Any computer on the network can claim to be a camera and would receive it.</source>
        <translation>Also gives this login to every ONVIF device found later. Any computer on the network can claim to be a camera and would receive it.</translation>
    </message>
    <message>
        <location line="+7" />
        <source>&amp;Remember on this computer</source>
        <translation>&amp;Remember on this computer</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Remember on this computer</source>
        <translation>Remember on this computer</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Kept in the system keyring, never in a file of this program.</source>
        <translation>Kept in the system keyring, never in a file of this program.</translation>
    </message>
    <message>
        <location line="+34" />
        <location line="+3" />
        <source>Sign in</source>
        <translation>Sign in</translation>
    </message>
    <message>
        <location line="+10" />
        <location line="+3" />
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TipDialog</name>
    <message>
        <location filename="../src/aptui/TipDialog.ui" line="+30" />
        <source>sure</source>
        <translation>sure</translation>
    </message>
</context>
<context>
    <name>VEXAToolMainPage</name>
    <message>
        <location filename="../src/app/VEXAToolMainPage.ui" line="+14" />
        <source>VEXAToolMainPage</source>
        <translation>VEXAToolMainPage</translation>
    </message>
</context>
<context>
    <name>VexaTool::ClockOffset</name>
    <message>
        <location filename="../src/fleet/ClockOffset.cpp" line="+17" />
        <source>%1%2 h %3 min</source>
        <translation>%1%2 h %3 min</translation>
    </message>
    <message>
        <location line="+0" />
        <source>%1%2 h</source>
        <translation>%1%2 h</translation>
    </message>
    <message>
        <location line="+2" />
        <source>%1%2 min %3 s</source>
        <translation>%1%2 min %3 s</translation>
    </message>
    <message>
        <location line="+0" />
        <source>%1%2 min</source>
        <translation>%1%2 min</translation>
    </message>
    <message>
        <location line="+1" />
        <source>%1%2 s</source>
        <translation>%1%2 s</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Time zone: not given</source>
        <translation>Time zone: not given</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Time zone: %1</source>
        <translation>Time zone: %1</translation>
    </message>
    <message>
        <location line="+3" />
        <source>NTP: off (time set by hand)</source>
        <translation>NTP: off (time set by hand)</translation>
    </message>
    <message>
        <location line="+2" />
        <source>NTP: servers from DHCP</source>
        <translation>NTP: servers from DHCP</translation>
    </message>
    <message>
        <location line="+2" />
        <source>NTP: %1</source>
        <translation>NTP: %1</translation>
    </message>
    <message>
        <location line="+2" />
        <source>NTP: on (servers need a sign-in to read)</source>
        <translation>NTP: on (servers need a sign-in to read)</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceActivePage</name>
    <message>
        <location filename="../src/modify/DeviceActivePage.cpp" line="+43" />
        <source>Device not activated</source>
        <translation>Device not activated</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The network parameters can be modified after the device is activated</source>
        <translation>The network parameters can be modified after the device is activated</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Active now</source>
        <translation>Active now</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Device active</source>
        <translation>Device active</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Batch devices active</source>
        <translation>Batch devices active</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Batch devices network parameters</source>
        <translation>Batch devices network parameters</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sorry,the devices you have chosen has not activated devices</source>
        <translation>Sorry,the devices you have chosen has not activated devices</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Note: please activate</source>
        <translation>Note: please activate</translation>
    </message>
    <message>
        <location line="+1" />
        <source>the device</source>
        <translation>the device</translation>
    </message>
    <message>
        <location line="+1" />
        <source>to perform other operations</source>
        <translation>to perform other operations</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceDisplayPage</name>
    <message>
        <location filename="../src/devicelist/DeviceDisplayPage.cpp" line="+132" />
        <source>Open deployment plan</source>
        <translation>Open deployment plan</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Deployment plans (*.csv);;All files (*)</source>
        <translation>Deployment plans (*.csv);;All files (*)</translation>
    </message>
    <message>
        <location line="+205" />
        <source>%1 of %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message numerus="yes">
        <location line="+4" />
        <source>%n of them ONVIF devices</source>
        <translation>
            <numerusform>%n of them an ONVIF device</numerusform>
            <numerusform>%n of them ONVIF devices</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+4" />
        <source>(%n hidden)</source>
        <translation>
            <numerusform>(%n hidden)</numerusform>
            <numerusform>(%n hidden)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+2" />
        <source>%n device(s) of ours answered with another maker's mark and are not listed. The command-line client lists them; Refresh counts again.</source>
        <translation>
            <numerusform>%n device of ours answered with another maker's mark and is not listed. The command-line client lists it; Refresh counts again.</numerusform>
            <numerusform>%n devices of ours answered with another maker's mark and are not listed. The command-line client lists them; Refresh counts again.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+308" />
        <source>Device actions</source>
        <translation>Device actions</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Accept the new certificate</source>
        <translation>Accept the new certificate</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation type="vanished">Succeed</translation>
    </message>
    <message>
        <location line="-107" />
        <source>Deployment plan</source>
        <translation>Deployment plan</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceInfoModel</name>
    <message>
        <location filename="../src/devicelist/DeviceInfoModel.cpp" line="+67" />
        <source>N/A</source>
        <translation>N/A</translation>
    </message>
    <message>
        <location line="-4" />
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <location line="+1" />
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <location line="+1" />
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <location line="+1" />
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Activated</source>
        <translation>Activated</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Not activated</source>
        <translation>Not activated</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Restarting…</source>
        <translation>Restarting…</translation>
    </message>
    <message>
        <location line="+1" />
        <source>A change was sent to it. It keeps its row until it answers again.</source>
        <translation>A change was sent to it. It keeps its row until it answers again.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>ONVIF devices have no activation step: they come with the password their maker set.</source>
        <translation>ONVIF devices have no activation step: they come with the password their maker set.</translation>
    </message>
    <message>
        <location line="+44" />
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Device Type</source>
        <translation>Device Type</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Activate</source>
        <translation>Activate</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv4 Address</source>
        <translation>IPv4 Address</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Soft Vision</source>
        <translation>Soft Vision</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv4 GateWay</source>
        <translation>IPv4 GateWay</translation>
    </message>
    <message>
        <location line="+1" />
        <source>HttpPort</source>
        <translation>HttpPort</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Serial Number</source>
        <translation>Serial Number</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv4 Mask</source>
        <translation>IPv4 Mask</translation>
    </message>
    <message>
        <location line="+1" />
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Channel NO</source>
        <translation>Channel NO</translation>
    </message>
    <message>
        <location line="+1" />
        <source>DSP Vision</source>
        <translation>DSP Vision</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv6 Address</source>
        <translation>IPv6 Address</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv6 GateWay</source>
        <translation>IPv6 GateWay</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv6 Prefix Length</source>
        <translation>IPv6 Prefix Length</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Is Support IPv6</source>
        <translation>Is Support IPv6</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Is Support Mod IPv6</source>
        <translation>Is Support Mod IPv6</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Is Support DHCP</source>
        <translation>Is Support DHCP</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv4 DHCP</source>
        <translation>IPv4 DHCP</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Service Tag</source>
        <translation>Service Tag</translation>
    </message>
    <message>
        <location line="+1" />
        <source>RTSP Port</source>
        <translation>RTSP Port</translation>
    </message>
    <message>
        <location line="+1" />
        <source>isActivatd</source>
        <translation>isActivatd</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Clock</source>
        <translation>Clock</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Tick every listed device, or untick them all</source>
        <translation>Tick every listed device, or untick them all</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Tick all listed devices</source>
        <translation>Tick all listed devices</translation>
    </message>
    <message>
        <location line="+177" />
        <source>The identity of this device is not verified, so no password is sent to it.</source>
        <translation>The identity of this device is not verified, so no password is sent to it.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>It also answers as an ONVIF device.</source>
        <translation>It also answers as an ONVIF device.</translation>
    </message>
    <message>
        <location line="+21" />
        <source>It also answers as an ONVIF device; it is handled as one of ours.</source>
        <translation>It also answers as an ONVIF device; it is handled as one of ours.</translation>
    </message>
    <message>
        <location line="+11" />
        <source>ONVIF device</source>
        <translation>ONVIF device</translation>
    </message>
    <message>
        <location line="+1" />
        <source>ONVIF device made by %1</source>
        <translation>ONVIF device made by %1</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Sign-in refused</source>
        <translation>Sign-in refused</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Sign-in refused: the device did not accept the user name or password.</source>
        <translation>Sign-in refused: the device did not accept the user name or password.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sign-in refused: %1</source>
        <translation>Sign-in refused: %1</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Sign-in needed</source>
        <translation>Sign-in needed</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sign in to ONVIF devices to read its details.</source>
        <translation>Sign in to ONVIF devices to read its details.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Not reachable</source>
        <translation>Not reachable</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Its ONVIF service did not answer.</source>
        <translation>Its ONVIF service did not answer.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Details partly read</source>
        <translation>Details partly read</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Some of its details could not be read.</source>
        <translation>Some of its details could not be read.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Details partly read: %1</source>
        <translation>Details partly read: %1</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Reading details</source>
        <translation>Reading details</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Certificate changed</source>
        <translation>Certificate changed</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Its HTTPS certificate is not the one it showed before, so nothing was sent to it. If the camera was replaced or reset, right-click the row and accept the new certificate.</source>
        <translation>Its HTTPS certificate is not the one it showed before, so nothing was sent to it. If the camera was replaced or reset, right-click the row and accept the new certificate.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Said goodbye; checking</source>
        <translation>Said goodbye; checking</translation>
    </message>
    <message>
        <location line="+2" />
        <source>It said goodbye. It stays listed until its address stops answering.</source>
        <translation>It said goodbye. It stays listed until its address stops answering.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>A message named another address for it. It stays at this one until the camera itself confirms the move.</source>
        <translation>A message named another address for it. It stays at this one until the camera itself confirms the move.</translation>
    </message>
    <message>
        <location line="+322" />
        <source>Not read</source>
        <translation>Not read</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device did not give its time.</source>
        <translation>The device did not give its time.</translation>
    </message>
    <message>
        <location line="+7" />
        <source>More than %1 s off: sign-ins and recordings' times fail.</source>
        <translation>More than %1 s off: sign-ins and recordings' times fail.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>More than %1 s off.</source>
        <translation>More than %1 s off.</translation>
    </message>
    <message>
        <location line="+27" />
        <source>Found by scanning addresses</source>
        <translation>Found by scanning addresses</translation>
    </message>
    <message>
        <location line="+22" />
        <source>Address used by %1 devices</source>
        <translation>Address used by %1 devices</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Tick %1 at %2</source>
        <translation>Tick %1 at %2</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceListHeader</name>
    <message>
        <location filename="../src/devicelist/DeviceListHeader.cpp" line="+16" />
        <source>Tick all listed devices</source>
        <translation>Tick all listed devices</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Tick every listed device, or untick them all</source>
        <translation>Tick every listed device, or untick them all</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceModifyPage</name>
    <message>
        <location filename="../src/outcome/ErrorText.cpp" line="+104" />
        <location line="+5" />
        <location line="+55" />
        <source>Error%1:others</source>
        <translation>Error%1:others</translation>
    </message>
    <message>
        <location line="-66" />
        <source>Activate Succeed.</source>
        <translation>Activate Succeed.</translation>
    </message>
    <message>
        <location line="+2" />
        <location line="+15" />
        <source>Device deny.</source>
        <translation>Device deny.</translation>
    </message>
    <message>
        <location line="-13" />
        <location line="+15" />
        <source>Time out.</source>
        <translation>Time out.</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation type="vanished">Succeed</translation>
    </message>
    <message>
        <location line="-10" />
        <source>Error%1:Device deny.</source>
        <translation>Error%1:Device deny.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Error%1:reactive</source>
        <translation>Error%1:reactive</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Modify network parameters succeed.</source>
        <translation>Modify network parameters succeed.</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Error%1:device deny</source>
        <translation>Error%1:device deny</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Error%1:time out</source>
        <translation>Error%1:time out</translation>
    </message>
    <message>
        <location filename="../src/modify/DeviceModifyPage.cpp" line="+47" />
        <source>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</source>
        <translation>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</translation>
    </message>
    <message>
        <location line="+36" />
        <source>ONVIF devices have no password recovery here; reset a forgotten password on the device itself.</source>
        <translation>ONVIF devices have no password recovery here; reset a forgotten password on the device itself.</translation>
    </message>
    <message>
        <location line="+235" />
        <source>Left out: the settings of this ONVIF device are not read yet; sign in first.</source>
        <translation>Left out: the settings of this ONVIF device are not read yet; sign in first.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Left out: the port of an ONVIF device cannot be changed.</source>
        <translation>Left out: the port of an ONVIF device cannot be changed.</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Weak</source>
        <translation>Weak</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Medium</source>
        <translation>Medium</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Strong</source>
        <translation>Strong</translation>
    </message>
    <message>
        <location line="+11" />
        <location line="+399" />
        <source>Please select a device.</source>
        <translation>Please select a device.</translation>
    </message>
    <message>
        <location line="-394" />
        <source>ONVIF devices have no activation here: they come with the password their maker set.</source>
        <translation>ONVIF devices have no activation here: they come with the password their maker set.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The password can not be empty.</source>
        <translation>The password can not be empty.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The password you typed do not match.</source>
        <translation>The password you typed do not match.</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Valid password range [8-16]. You can use a combination of numbers,lowercase, uppercase and special character for your password with at least two kinds of them contained.</source>
        <translation>Valid password range [8-16]. You can use a combination of numbers,lowercase, uppercase and special character for your password with at least two kinds of them contained.</translation>
    </message>
    <message>
        <location line="+30" />
        <location line="+415" />
        <source>Sorry, please select the equipment.</source>
        <translation>Sorry, please select the equipment.</translation>
    </message>
    <message>
        <location line="-389" />
        <source>Sorry, please enter the administrator password.</source>
        <translation>Sorry, please enter the administrator password.</translation>
    </message>
    <message>
        <location line="+6" />
        <location line="+403" />
        <source>Please enter the ONVIF user name.</source>
        <translation>Please enter the ONVIF user name.</translation>
    </message>
    <message>
        <location line="-399" />
        <location line="+403" />
        <source>Please enter the ONVIF password.</source>
        <translation>Please enter the ONVIF password.</translation>
    </message>
    <message>
        <location line="-333" />
        <location line="+402" />
        <source>A device has not answered an earlier change yet. Try again once it has.</source>
        <translation>A device has not answered an earlier change yet. Try again once it has.</translation>
    </message>
    <message>
        <location line="-374" />
        <source>These devices take no start address. Enable DHCP, or select devices that take one.</source>
        <translation>These devices take no start address. Enable DHCP, or select devices that take one.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>%1 addresses from %2 would run past %3.255.255.</source>
        <translation>%1 addresses from %2 would run past %3.255.255.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>%1 addresses from %2 would include the network or broadcast address of the subnet.</source>
        <translation>%1 addresses from %2 would include the network or broadcast address of the subnet.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>%1 addresses from %2 would leave the subnet of mask %3.</source>
        <translation>%1 addresses from %2 would leave the subnet of mask %3.</translation>
    </message>
    <message>
        <location line="+23" />
        <source>%1 is the address of %2 (%3), which is not in this batch.</source>
        <translation>%1 is the address of %2 (%3), which is not in this batch.</translation>
    </message>
    <message>
        <location line="+57" />
        <source>Not sent</source>
        <translation>Not sent</translation>
    </message>
    <message>
        <location line="+97" />
        <source>Activation</source>
        <translation>Activation</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Batch activate devices</source>
        <translation>Batch activate devices</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Activate fail numbers</source>
        <translation>Activate fail numbers</translation>
    </message>
    <message>
        <location line="+123" />
        <source>Left out: the time of this device cannot be set.</source>
        <translation>Left out: the time of this device cannot be set.</translation>
    </message>
    <message>
        <location line="+15" />
        <source>Left out: the ONVIF password of this device cannot be changed.</source>
        <translation>Left out: the ONVIF password of this device cannot be changed.</translation>
    </message>
    <message>
        <location line="+30" />
        <source>Nothing was sent: %1</source>
        <translation>Nothing was sent: %1</translation>
    </message>
    <message>
        <location line="+27" />
        <source>Set time</source>
        <translation>Set time</translation>
    </message>
    <message>
        <location line="+0" />
        <source>ONVIF password</source>
        <translation>ONVIF password</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Set the time of devices</source>
        <translation>Set the time of devices</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Change the ONVIF password of devices</source>
        <translation>Change the ONVIF password of devices</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceModifyResultPage</name>
    <message>
        <location filename="../src/modify/DeviceModifyResultPage.cpp" line="+35" />
        <source>Confirmation List</source>
        <translation>Confirmation List</translation>
    </message>
    <message>
        <location line="+8" />
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Device Type</source>
        <translation>Device Type</translation>
    </message>
    <message>
        <location line="+0" />
        <source>IPv4 Address</source>
        <translation>IPv4 Address</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Serial Number</source>
        <translation>Serial Number</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Modification</source>
        <translation>Modification</translation>
    </message>
    <message>
        <location line="+11" />
        <source>receipt-%1.csv</source>
        <translation>receipt-%1.csv</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Save receipt</source>
        <translation>Save receipt</translation>
    </message>
    <message>
        <location line="+0" />
        <source>CSV files (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Receipts…</source>
        <translation>Receipts…</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Open the folder of receipts</source>
        <translation>Open the folder of receipts</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Where the receipt is</source>
        <translation>Where the receipt is</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Copy path</source>
        <translation>Copy path</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Copy the path of the receipts folder</source>
        <translation>Copy the path of the receipts folder</translation>
    </message>
    <message>
        <location line="+21" />
        <source>Receipts folder: %1</source>
        <translation>Receipts folder: %1</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Receipt saved as %1</source>
        <translation>Receipt saved as %1</translation>
    </message>
    <message>
        <location line="+38" />
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message>
        <location line="+22" />
        <source>The receipt could not be saved: %1</source>
        <translation>The receipt could not be saved: %1</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation type="vanished">Succeed</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceNetParaPage</name>
    <message>
        <location filename="../src/modify/DeviceNetParaPage.cpp" line="+41" />
        <source>An ONVIF device's port is where its service answers; it cannot be changed here.</source>
        <translation>An ONVIF device's port is where its service answers; it cannot be changed here.</translation>
    </message>
    <message>
        <location line="+31" />
        <location line="+2" />
        <source>Keep each device's name</source>
        <translation>Keep each device's name</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Untick to name the devices: {n} in the name counts 1, 2, 3… in the list's order, as in Lobby-{n}.</source>
        <translation>Untick to name the devices: {n} in the name counts 1, 2, 3… in the list's order, as in Lobby-{n}.</translation>
    </message>
    <message>
        <location line="+83" />
        <source>Modify Network parameters</source>
        <translation>Modify Network parameters</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Batch Modify Network parameters</source>
        <translation>Batch Modify Network parameters</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Lobby-{n}</source>
        <translation>Lobby-{n}</translation>
    </message>
    <message>
        <location line="+134" />
        <source>The IPv6 settings of an ONVIF device cannot be changed here.</source>
        <translation>The IPv6 settings of an ONVIF device cannot be changed here.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The device reports no IPv6 address.</source>
        <translation>The device reports no IPv6 address.</translation>
    </message>
    <message>
        <location line="+52" />
        <source>ONVIF devices keep their port: a port typed here leaves them out.</source>
        <translation>ONVIF devices keep their port: a port typed here leaves them out.</translation>
    </message>
    <message>
        <location line="+8" />
        <source>None of these devices takes a gateway from a batch: each keeps its own.</source>
        <translation>None of these devices takes a gateway from a batch: each keeps its own.</translation>
    </message>
    <message numerus="yes">
        <location line="+1" />
        <source>The gateway goes only to the devices that take one: %n of the ticked devices keep their own.</source>
        <translation>
            <numerusform>The gateway goes only to the devices that take one: %n of the ticked devices keeps its own.</numerusform>
            <numerusform>The gateway goes only to the devices that take one: %n of the ticked devices keep their own.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+31" />
        <source>Please input IP Address.</source>
        <translation>Please input IP Address.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>IP Address not correct.</source>
        <translation>IP Address not correct.</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Subnet mask can not be empty.</source>
        <translation>Subnet mask can not be empty.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Subnet Mask not correct.</source>
        <translation>Subnet Mask not correct.</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Device port ranges from 2000 to 65535.</source>
        <translation>Device port ranges from 2000 to 65535.</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Gateway can not be empty</source>
        <translation>Gateway can not be empty</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Gateway not correct.</source>
        <translation>Gateway not correct.</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Http port ranges from 1 to 65535.</source>
        <translation>Http port ranges from 1 to 65535.</translation>
    </message>
    <message>
        <location line="+7" />
        <source>RTSP port ranges from 0 to 65535.</source>
        <translation>RTSP port ranges from 0 to 65535.</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Device name cannot be empty.</source>
        <translation>Device name cannot be empty.</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Device name is too long for the device.</source>
        <translation>Device name is too long for the device.</translation>
    </message>
    <message>
        <source>The device cannot store characters outside Latin-1 in its name.</source>
        <translation type="vanished">The device cannot store characters outside Latin-1 in its name.</translation>
    </message>
    <message>
        <location line="+18" />
        <source>IPv6 prefix length ranges from 0 to 127.</source>
        <translation>IPv6 prefix length ranges from 0 to 127.</translation>
    </message>
    <message>
        <location line="+22" />
        <source>IPv6 Address not correct.</source>
        <translation>IPv6 Address not correct.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>IPv6 gateway not correct.</source>
        <translation>IPv6 gateway not correct.</translation>
    </message>
</context>
<context>
    <name>VexaTool::DevicesInfoSavePage</name>
    <message>
        <location filename="../src/export/DevicesInfoSavePage.cpp" line="+70" />
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <location line="+51" />
        <source>Please input file name.</source>
        <translation>Please input file name.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Please input file path.</source>
        <translation>Please input file path.</translation>
    </message>
    <message>
        <location line="+6" />
        <location line="+12" />
        <source>The file name has been used, please change it</source>
        <translation>The file name has been used, please change it</translation>
    </message>
    <message>
        <location line="-8" />
        <location line="+12" />
        <source>Saving succeed.</source>
        <translation>Saving succeed.</translation>
    </message>
    <message>
        <location line="-9" />
        <location line="+12" />
        <source>Saving failed.</source>
        <translation>Saving failed.</translation>
    </message>
</context>
<context>
    <name>VexaTool::ErrorText</name>
    <message>
        <location filename="../src/outcome/ErrorText.cpp" line="-106" />
        <source>Succeed</source>
        <translation>Succeed</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device discovery is not running. Restart the program and try again.</source>
        <translation>Device discovery is not running. Restart the program and try again.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device refused a value. Check the parameters and try again.</source>
        <translation>The device refused a value. Check the parameters and try again.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No usable network interface. Check the network connection.</source>
        <translation>No usable network interface. Check the network connection.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device is no longer on the network. Refresh the list and try again.</source>
        <translation>The device is no longer on the network. Refresh the list and try again.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device could not prove that it is genuine. Nothing was sent to it.</source>
        <translation>The device could not prove that it is genuine. Nothing was sent to it.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device sent more data than expected.</source>
        <translation>The device sent more data than expected.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The file could not be read.</source>
        <translation>The file could not be read.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Device deny.</source>
        <translation>Device deny.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Time out.</source>
        <translation>Time out.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Too many wrong passwords: the device is locked for a while. Try again later.</source>
        <translation>Too many wrong passwords: the device is locked for a while. Try again later.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device refused the password as too weak.</source>
        <translation>The device refused the password as too weak.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device is not activated. Activate it first.</source>
        <translation>The device is not activated. Activate it first.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The device does not support this operation.</source>
        <translation>The device does not support this operation.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The device is already activated.</source>
        <translation>The device is already activated.</translation>
    </message>
    <message>
        <location line="-4" />
        <source>Two devices on the network share this serial number or MAC address. Nothing was sent.</source>
        <translation>Two devices on the network share this serial number or MAC address. Nothing was sent.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device could not save the change and kept its old settings.</source>
        <translation>The device could not save the change and kept its old settings.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device was only heard announcing itself and did not answer when asked. Nothing was sent; refresh the list.</source>
        <translation>The device was only heard announcing itself and did not answer when asked. Nothing was sent; refresh the list.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The device asks for a user name and password. Sign in and try again.</source>
        <translation>The device asks for a user name and password. Sign in and try again.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The device refused a value of the change.</source>
        <translation>The device refused a value of the change.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The device could not carry out the request.</source>
        <translation>The device could not carry out the request.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device did not come back at its new address in time. Check the device.</source>
        <translation>The device did not come back at its new address in time. Check the device.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device answered, but still has its old settings: the change was not applied.</source>
        <translation>The device answered, but still has its old settings: the change was not applied.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device's answer could not be understood.</source>
        <translation>The device's answer could not be understood.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No connection to the device. Check the address and the network.</source>
        <translation>No connection to the device. Check the address and the network.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The camera's HTTPS certificate is not the one it showed before, so nothing was sent. If the camera was replaced, accept its new certificate from the row's menu.</source>
        <translation>The camera's HTTPS certificate is not the one it showed before, so nothing was sent. If the camera was replaced, accept its new certificate from the row's menu.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Something answers at the new address. Nothing was sent.</source>
        <translation>Something answers at the new address. Nothing was sent.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The range holds public addresses. Confirm that they are yours before scanning them.</source>
        <translation>The range holds public addresses. Confirm that they are yours before scanning them.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Another scan is running. Wait for it or stop it.</source>
        <translation>Another scan is running. Wait for it or stop it.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device changed meanwhile; refresh and try again.</source>
        <translation>The device changed meanwhile; refresh and try again.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device did not confirm the change in time; it may have been applied. Check the device.</source>
        <translation>The device did not confirm the change in time; it may have been applied. Check the device.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device is being restored with its security code; it takes no activation meanwhile.</source>
        <translation>The device is being restored with its security code; it takes no activation meanwhile.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device accepted the request but the new password does not work.</source>
        <translation>The device accepted the request but the new password does not work.</translation>
    </message>
    <message>
        <location line="+64" />
        <source>Unknown error %1.</source>
        <translation>Unknown error %1.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Error%1:%2</source>
        <translation>Error%1:%2</translation>
    </message>
</context>
<context>
    <name>VexaTool::ExcelManager</name>
    <message>
        <location filename="../src/export/ExcelManager.cpp" line="+42" />
        <source>Serial Number</source>
        <translation>Serial Number</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Device Serial Number</source>
        <translation>Device Serial Number</translation>
    </message>
</context>
<context>
    <name>VexaTool::InventoryDialog</name>
    <message>
        <location filename="../src/preview/InventoryDialog.cpp" line="+38" />
        <location line="+80" />
        <source>Export inventory</source>
        <translation>Export inventory</translation>
    </message>
    <message numerus="yes">
        <location line="-77" />
        <source>One row per device and video profile, with its stream and snapshot addresses, for a video management system's import. %n device(s).</source>
        <translation>
            <numerusform>One row per device and video profile, with its stream and snapshot addresses, for a video management system's import. %n device.</numerusform>
            <numerusform>One row per device and video profile, with its stream and snapshot addresses, for a video management system's import. %n devices.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+9" />
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Browse…</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Choose the file</source>
        <translation>Choose the file</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Excel workbook (.xls)</source>
        <translation>Excel workbook (.xls)</translation>
    </message>
    <message>
        <location line="+1" />
        <source>CSV, comma separated (.csv)</source>
        <translation>CSV, comma separated (.csv)</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Add a user-name column</source>
        <translation>Add a user-name column</translation>
    </message>
    <message>
        <location line="+4" />
        <source>User name</source>
        <translation>User name</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Written in every row; the password is never written.</source>
        <translation>Written in every row; the password is never written.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>&amp;File:</source>
        <translation>&amp;File:</translation>
    </message>
    <message>
        <location line="+3" />
        <source>F&amp;ormat:</source>
        <translation>F&amp;ormat:</translation>
    </message>
    <message>
        <location line="+4" />
        <source>&amp;User name:</source>
        <translation>&amp;User name:</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Devices read</source>
        <translation>Devices read</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <location line="+19" />
        <source>CSV files (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Excel workbooks (*.xls)</source>
        <translation>Excel workbooks (*.xls)</translation>
    </message>
    <message>
        <location line="+18" />
        <source>Reading devices: %1 of %2</source>
        <translation>Reading devices: %1 of %2</translation>
    </message>
    <message>
        <location line="+42" />
        <source>Choose a file first.</source>
        <translation>Choose a file first.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>%1 exists. Choose it with "Browse…" to replace it, or type another name.</source>
        <translation>%1 exists. Choose it with "Browse…" to replace it, or type another name.</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Stopped: nothing was written.</source>
        <translation>Stopped: nothing was written.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Writing the file…</source>
        <translation>Writing the file…</translation>
    </message>
    <message>
        <location line="+19" />
        <source>A workbook holds at most 65,535 rows; choose CSV.</source>
        <translation>A workbook holds at most 65,535 rows; choose CSV.</translation>
    </message>
    <message numerus="yes">
        <location line="+18" />
        <source>Written: %1 (%n row(s))</source>
        <translation>
            <numerusform>Written: %1 (%n row)</numerusform>
            <numerusform>Written: %1 (%n rows)</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2" />
        <source>Not written: %1</source>
        <translation>Not written: %1</translation>
    </message>
</context>
<context>
    <name>VexaTool::NtpServerList</name>
    <message>
        <location filename="../src/siteops/NtpServerList.cpp" line="+37" />
        <source>Enter at least one NTP server.</source>
        <translation>Enter at least one NTP server.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Enter at most %1 NTP servers.</source>
        <translation>Enter at most %1 NTP servers.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>"%1" is neither an IPv4 address nor a host name.</source>
        <translation>"%1" is neither an IPv4 address nor a host name.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The NTP servers are too long together (at most %1 characters).</source>
        <translation>The NTP servers are too long together (at most %1 characters).</translation>
    </message>
</context>
<context>
    <name>VexaTool::OnvifPasswordDialog</name>
    <message numerus="yes">
        <location filename="../src/siteops/OnvifPasswordDialog.cpp" line="+40" />
        <source>Change the password of the ONVIF user "%1" on %n device(s). A change counts as done only when the device signs in with the new password.</source>
        <translation>
            <numerusform>Change the password of the ONVIF user "%1" on %n device. A change counts as done only when the device signs in with the new password.</numerusform>
            <numerusform>Change the password of the ONVIF user "%1" on %n devices. A change counts as done only when the device signs in with the new password.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+5" />
        <source>One new password for all devices</source>
        <translation>One new password for all devices</translation>
    </message>
    <message>
        <location line="+13" />
        <location line="+4" />
        <source>New password</source>
        <translation>New password</translation>
    </message>
    <message>
        <location line="-2" />
        <location line="+3" />
        <source>Confirm password</source>
        <translation>Confirm password</translation>
    </message>
    <message>
        <location line="+6" />
        <source>When every device takes it, this run's sign-in uses it, and so does a remembered sign-in in the keyring.</source>
        <translation>When every device takes it, this run's sign-in uses it, and so does a remembered sign-in in the keyring.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>A generated password for each device</source>
        <translation>A generated password for each device</translation>
    </message>
    <message>
        <location line="+6" />
        <source>A new file for the passwords</source>
        <translation>A new file for the passwords</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Password file</source>
        <translation>Password file</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Choose the password file</source>
        <translation>Choose the password file</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Warning: this file holds the devices' passwords in plain text, readable by you only. Keep it safe. Generated passwords are not remembered in the keyring; each device signs in with its own during this run.</source>
        <translation>Warning: this file holds the devices' passwords in plain text, readable by you only. Keep it safe. Generated passwords are not remembered in the keyring; each device signs in with its own during this run.</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Change ONVIF password</source>
        <translation>Change ONVIF password</translation>
    </message>
    <message>
        <location line="+45" />
        <source>Save the passwords</source>
        <translation>Save the passwords</translation>
    </message>
    <message>
        <location line="+3" />
        <source>CSV files (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Choose a file for the generated passwords.</source>
        <translation>Choose a file for the generated passwords.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>%1 exists already; choose a new file.</source>
        <translation>%1 exists already; choose a new file.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The password needs at least 8 characters of two kinds (digits, letters, signs), and must not be the user name.</source>
        <translation>The password needs at least 8 characters of two kinds (digits, letters, signs), and must not be the user name.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The password must be printable and at most %1 bytes long.</source>
        <translation>The password must be printable and at most %1 bytes long.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The two passwords differ.</source>
        <translation>The two passwords differ.</translation>
    </message>
</context>
<context>
    <name>VexaTool::PasswordSheet</name>
    <message>
        <location filename="../src/siteops/PasswordSheet.cpp" line="+76" />
        <source>%1 exists already; choose a new file.</source>
        <translation>%1 exists already; choose a new file.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>%1 cannot be created: %2</source>
        <translation>%1 cannot be created: %2</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Serial Number</source>
        <translation>Serial Number</translation>
    </message>
    <message>
        <location line="+0" />
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <location line="+1" />
        <source>User</source>
        <translation>User</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <location line="+11" />
        <source>%1 cannot be written: %2</source>
        <translation>%1 cannot be written: %2</translation>
    </message>
</context>
<context>
    <name>VexaTool::PlanPreviewModel</name>
    <message>
        <location filename="../src/plan/PlanPreviewModel.cpp" line="+124" />
        <source>Ready</source>
        <translation>Ready</translation>
    </message>
    <message>
        <location line="+50" />
        <source>Line</source>
        <translation>Line</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Current Address</source>
        <translation>Current Address</translation>
    </message>
    <message>
        <location line="+2" />
        <source>New Address</source>
        <translation>New Address</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Check</source>
        <translation>Check</translation>
    </message>
</context>
<context>
    <name>VexaTool::PlanPreviewPage</name>
    <message>
        <location filename="../src/plan/PlanPreviewPage.cpp" line="+68" />
        <source>The plan cannot be read; nothing has been sent.</source>
        <translation>The plan cannot be read; nothing has been sent.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The plan has no rows.</source>
        <translation>The plan has no rows.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>%1 rows, all ready. Nothing has been sent yet.</source>
        <translation>%1 rows, all ready. Nothing has been sent yet.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>%1 rows, %2 marked. Correct the marked rows in the file and open it again; nothing has been sent.</source>
        <translation>%1 rows, %2 marked. Correct the marked rows in the file and open it again; nothing has been sent.</translation>
    </message>
    <message>
        <location line="+27" />
        <source>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</source>
        <translation>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</translation>
    </message>
</context>
<context>
    <name>VexaTool::PlanText</name>
    <message>
        <location filename="../src/plan/PlanText.cpp" line="+13" />
        <source>This row has %1 fields; the header has %2.</source>
        <translation>This row has %1 fields; the header has %2.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Neither a serial number nor a MAC address is given.</source>
        <translation>Neither a serial number nor a MAC address is given.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>MAC address not correct.</source>
        <translation>MAC address not correct.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The serial number and the MAC address belong to different devices.</source>
        <translation>The serial number and the MAC address belong to different devices.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No listed device has this serial number or MAC address.</source>
        <translation>No listed device has this serial number or MAC address.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Several listed devices have this serial number; add the MAC address.</source>
        <translation>Several listed devices have this serial number; add the MAC address.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device is not activated.</source>
        <translation>The device is not activated.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device is planned twice (also in line %1).</source>
        <translation>The device is planned twice (also in line %1).</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The address is planned twice (also in line %1).</source>
        <translation>The address is planned twice (also in line %1).</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The address is used by device %1, which the plan does not change.</source>
        <translation>The address is used by device %1, which the plan does not change.</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Something answers at this address: %1.</source>
        <translation>Something answers at this address: %1.</translation>
    </message>
    <message>
        <location line="-38" />
        <source>Please input IP Address.</source>
        <translation>Please input IP Address.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>IP Address not correct.</source>
        <translation>IP Address not correct.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Subnet mask can not be empty.</source>
        <translation>Subnet mask can not be empty.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Subnet Mask not correct.</source>
        <translation>Subnet Mask not correct.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Gateway can not be empty</source>
        <translation>Gateway can not be empty</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Gateway not correct.</source>
        <translation>Gateway not correct.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device port ranges from 2000 to 65535.</source>
        <translation>Device port ranges from 2000 to 65535.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Http port ranges from 1 to 65535.</source>
        <translation>Http port ranges from 1 to 65535.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device has no HTTP port.</source>
        <translation>The device has no HTTP port.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>RTSP port ranges from 1 to 65535.</source>
        <translation>RTSP port ranges from 1 to 65535.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device name cannot be empty.</source>
        <translation>Device name cannot be empty.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device name is longer than 32 bytes.</source>
        <translation>Device name is longer than 32 bytes.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device name contains control characters.</source>
        <translation>Device name contains control characters.</translation>
    </message>
    <message>
        <source>Device name has characters that devices cannot store (only Latin-1 letters and signs).</source>
        <translation type="vanished">Device name has characters that devices cannot store (only Latin-1 letters and signs).</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device name is not UTF-8 text.</source>
        <translation>Device name is not UTF-8 text.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No listed device has this current address.</source>
        <translation>No listed device has this current address.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Several listed devices have this current address; add the serial number or MAC address.</source>
        <translation>Several listed devices have this current address; add the serial number or MAC address.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The current address belongs to another device than the serial number or MAC address.</source>
        <translation>The current address belongs to another device than the serial number or MAC address.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The port of an ONVIF device cannot be changed.</source>
        <translation>The port of an ONVIF device cannot be changed.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The ONVIF device's settings are not read yet; sign in first.</source>
        <translation>The ONVIF device's settings are not read yet; sign in first.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>DHCP must be yes or no.</source>
        <translation>DHCP must be yes or no.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device does not support DHCP.</source>
        <translation>The device does not support DHCP.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Devices would take each other's addresses (see line %1); give one a free address first.</source>
        <translation>Devices would take each other's addresses (see line %1); give one a free address first.</translation>
    </message>
    <message>
        <location line="+12" />
        <source>The plan file is empty.</source>
        <translation>The plan file is empty.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The plan file is larger than 8 MB.</source>
        <translation>The plan file is larger than 8 MB.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The plan file is UTF-16 text; save it as CSV UTF-8.</source>
        <translation>The plan file is UTF-16 text; save it as CSV UTF-8.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Line %1 is not UTF-8 text; save the plan as CSV UTF-8.</source>
        <translation>Line %1 is not UTF-8 text; save the plan as CSV UTF-8.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The quoted field starting in line %1 never ends.</source>
        <translation>The quoted field starting in line %1 never ends.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Line %1 has text after a closing quote.</source>
        <translation>Line %1 has text after a closing quote.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The plan has no column "%1".</source>
        <translation>The plan has no column "%1".</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The column "%1" appears twice.</source>
        <translation>The column "%1" appears twice.</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Row</source>
        <translation>Row</translation>
    </message>
    <message>
        <location line="+2" />
        <location line="+26" />
        <source>Serial Number</source>
        <translation>Serial Number</translation>
    </message>
    <message>
        <location line="-24" />
        <location line="+24" />
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <location line="-22" />
        <source>Current Address</source>
        <translation>Current Address</translation>
    </message>
    <message>
        <location line="+2" />
        <source>IPv4 Address</source>
        <translation>IPv4 Address</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Subnet Mask</source>
        <translation>Subnet Mask</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device Name</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <location line="+2" />
        <source>HTTP Port</source>
        <translation>HTTP Port</translation>
    </message>
    <message>
        <location line="+2" />
        <source>RTSP Port</source>
        <translation>RTSP Port</translation>
    </message>
    <message>
        <location line="+2" />
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Old Address</source>
        <translation>Old Address</translation>
    </message>
    <message>
        <location line="+0" />
        <source>New Address</source>
        <translation>New Address</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Result</source>
        <translation>Result</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Outcome</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Code</source>
        <translation>Code</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Device Says</source>
        <translation>Device Says</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Not sent: device %1 still has the address.</source>
        <translation>Not sent: device %1 still has the address.</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Not sent: stopped.</source>
        <translation>Not sent: stopped.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Stopped waiting for the device: the change may be in force; check the device.</source>
        <translation>Stopped waiting for the device: the change may be in force; check the device.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>%1 The device says: %2</source>
        <translation>%1 The device says: %2</translation>
    </message>
    <message>
        <location line="-15" />
        <source>Not sent: something answers at the address: %1.</source>
        <translation>Not sent: something answers at the address: %1.</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation type="vanished">Succeed</translation>
    </message>
    <message>
        <location filename="../src/outcome/ErrorText.cpp" line="-25" />
        <source>Error%1:device deny</source>
        <translation>Error%1:device deny</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Error%1:time out</source>
        <translation>Error%1:time out</translation>
    </message>
    <message>
        <location line="+36" />
        <source>Error%1:others</source>
        <translation>Error%1:others</translation>
    </message>
</context>
<context>
    <name>VexaTool::ResetPasswordDialog</name>
    <message>
        <location filename="../src/password/ResetPasswordDialog.cpp" line="+82" />
        <source>Reset Password</source>
        <translation>Reset Password</translation>
    </message>
    <message>
        <location line="+94" />
        <source>Generate QR code error.</source>
        <translation>Generate QR code error.</translation>
    </message>
    <message>
        <location line="+25" />
        <source>Get key error.</source>
        <translation>Get key error.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Create device key file error.</source>
        <translation>Create device key file error.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Exported.</source>
        <translation>Exported.</translation>
    </message>
    <message>
        <location line="+11" />
        <source>The path of the key file is too long. Move the file to a shorter path and choose it again.</source>
        <translation>The path of the key file is too long. Move the file to a shorter path and choose it again.</translation>
    </message>
    <message>
        <location line="+15" />
        <source>Please input the secret key.</source>
        <translation>Please input the secret key.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The secret key is too long.</source>
        <translation>The secret key is too long.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The password can not be empty.</source>
        <translation>The password can not be empty.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The password you typed do not match.</source>
        <translation>The password you typed do not match.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and special character for your password with at least two kinds of them contained.</source>
        <translation>Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and special character for your password with at least two kinds of them contained.</translation>
    </message>
    <message>
        <location line="+8" />
        <source>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</source>
        <translation>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</translation>
    </message>
    <message>
        <location line="+14" />
        <source>The key in the key file is too long. Please check the key file.</source>
        <translation>The key in the key file is too long. Please check the key file.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The key file could not be copied beside the program.</source>
        <translation>The key file could not be copied beside the program.</translation>
    </message>
    <message>
        <location line="+13" />
        <source>The path of the program's folder is too long for the key file copy.</source>
        <translation>The path of the program's folder is too long for the key file copy.</translation>
    </message>
    <message>
        <location line="+21" />
        <source>Reset password Succeed.</source>
        <translation>Reset password Succeed.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Reset password failed.</source>
        <translation>Reset password failed.</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Weak</source>
        <translation>Weak</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Medium</source>
        <translation>Medium</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Strong</source>
        <translation>Strong</translation>
    </message>
</context>
<context>
    <name>VexaTool::RestorePasswordDialog</name>
    <message>
        <location filename="../src/password/RestorePasswordDialog.cpp" line="+45" />
        <source>Reset Default Password</source>
        <translation>Reset Default Password</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Please input security code.</source>
        <translation>Please input security code.</translation>
    </message>
    <message>
        <location line="+8" />
        <source>The security code contains a character that cannot be sent.</source>
        <translation>The security code contains a character that cannot be sent.</translation>
    </message>
    <message>
        <location line="+8" />
        <source>The password can not be empty.</source>
        <translation>The password can not be empty.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The password you typed do not match.</source>
        <translation>The password you typed do not match.</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and special character for your password with at least two kinds of them contained.</source>
        <translation>Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and special character for your password with at least two kinds of them contained.</translation>
    </message>
    <message>
        <location line="+9" />
        <source>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</source>
        <translation>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</translation>
    </message>
    <message>
        <location line="+26" />
        <source>Restore password succeed.</source>
        <translation>Restore password succeed.</translation>
    </message>
    <message>
        <location line="+0" />
        <source>The device now has the new password.</source>
        <translation>The device now has the new password.</translation>
    </message>
    <message>
        <location line="+23" />
        <source>Weak</source>
        <translation>Weak</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Medium</source>
        <translation>Medium</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Strong</source>
        <translation>Strong</translation>
    </message>
    <message>
        <source>The device is not activated now: activate it with a new password before you use it.</source>
        <translation type="vanished">The device is not activated now: activate it with a new password before you use it.</translation>
    </message>
    <message>
        <location line="-17" />
        <location line="+3" />
        <source>Restore password failed.</source>
        <translation>Restore password failed.</translation>
    </message>
</context>
<context>
    <name>VexaTool::ScanRangesDialog</name>
    <message>
        <location filename="../src/scan/ScanRangesDialog.cpp" line="+25" />
        <source>Scan</source>
        <translation>Scan</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Stop scanning</source>
        <translation>Stop scanning</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <location line="+68" />
        <source>Type the ranges to scan, for example 10.2.0.0/24.</source>
        <translation>Type the ranges to scan, for example 10.2.0.0/24.</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Starting…</source>
        <translation>Starting…</translation>
    </message>
    <message numerus="yes">
        <location line="+13" />
        <source>%1 of %2 addresses asked, %n found</source>
        <translation>
            <numerusform>%1 of %2 addresses asked, %n found</numerusform>
            <numerusform>%1 of %2 addresses asked, %n found</numerusform>
        </translation>
    </message>
    <message>
        <location line="+16" />
        <source>Not scanned: the ranges hold public addresses.</source>
        <translation>Not scanned: the ranges hold public addresses.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>These are not address ranges. Write CIDR blocks (10.2.0.0/24), spans (10.2.0.10-10.2.0.50) or single addresses, separated by commas.</source>
        <translation>These are not address ranges. Write CIDR blocks (10.2.0.0/24), spans (10.2.0.10-10.2.0.50) or single addresses, separated by commas.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>“%1” is not an address range. Write CIDR blocks (10.2.0.0/24), spans (10.2.0.10-10.2.0.50) or single addresses, separated by commas.</source>
        <translation>“%1” is not an address range. Write CIDR blocks (10.2.0.0/24), spans (10.2.0.10-10.2.0.50) or single addresses, separated by commas.</translation>
    </message>
    <message>
        <location line="+12" />
        <source>The range could not be remembered: %1 cannot be written.</source>
        <translation>The range could not be remembered: %1 cannot be written.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The time limit ended the scan: %1 of %2 addresses were asked.</source>
        <translation>The time limit ended the scan: %1 of %2 addresses were asked.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Stopped: %1 of %2 addresses were asked.</source>
        <translation>Stopped: %1 of %2 addresses were asked.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Scan public addresses?</source>
        <translation>Scan public addresses?</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The ranges hold public addresses, outside the private, link-local and loopback blocks. Scanning addresses that are not your site's may be taken for an attack. Scan them anyway?</source>
        <translation>The ranges hold public addresses, outside the private, link-local and loopback blocks. Scanning addresses that are not your site's may be taken for an attack. Scan them anyway?</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Scan public addresses</source>
        <translation>Scan public addresses</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>VexaTool::ScanResultModel</name>
    <message>
        <location filename="../src/scan/ScanResultModel.cpp" line="+36" />
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Result</source>
        <translation>Result</translation>
    </message>
</context>
<context>
    <name>VexaTool::ScanSummaryDialog</name>
    <message>
        <location filename="../src/scan/ScanSummaryDialog.cpp" line="+22" />
        <source>Scanned: %1</source>
        <translation>Scanned: %1</translation>
    </message>
    <message>
        <location line="+22" />
        <source>Export scan summary</source>
        <translation>Export scan summary</translation>
    </message>
    <message>
        <location line="+1" />
        <source>CSV files (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <location line="+31" />
        <source>Not exported: %1 (%2)</source>
        <translation>Not exported: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>VexaTool::ScanTally</name>
    <message>
        <location filename="../src/scan/ScanTally.cpp" line="+74" />
        <source>Found (both protocols)</source>
        <translation>Found (both protocols)</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Found (ONVIF)</source>
        <translation>Found (ONVIF)</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Found</source>
        <translation>Found</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No answer</source>
        <translation>No answer</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Port closed</source>
        <translation>Port closed</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Answered, but not a camera</source>
        <translation>Answered, but not a camera</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Refused sign-in</source>
        <translation>Refused sign-in</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Unknown</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Result</source>
        <translation>Result</translation>
    </message>
</context>
<context>
    <name>VexaTool::SetTimeDialog</name>
    <message numerus="yes">
        <location filename="../src/siteops/SetTimeDialog.cpp" line="+22" />
        <source>Set the clock of %n device(s).</source>
        <translation>
            <numerusform>Set the clock of %n device.</numerusform>
            <numerusform>Set the clock of %n devices.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+3" />
        <source>This computer's time (UTC), set by hand</source>
        <translation>This computer's time (UTC), set by hand</translation>
    </message>
    <message>
        <location line="+3" />
        <source>From NTP servers</source>
        <translation>From NTP servers</translation>
    </message>
    <message>
        <location line="+4" />
        <source>1 to 4 servers, e.g. 192.168.1.1, ntp.example.org</source>
        <translation>1 to 4 servers, e.g. 192.168.1.1, ntp.example.org</translation>
    </message>
    <message>
        <location line="+1" />
        <source>NTP servers</source>
        <translation>NTP servers</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Set the time zone</source>
        <translation>Set the time zone</translation>
    </message>
    <message>
        <location line="+4" />
        <source>POSIX time zone, e.g. CET-1CEST,M3.5.0,M10.5.0/3</source>
        <translation>POSIX time zone, e.g. CET-1CEST,M3.5.0,M10.5.0/3</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Time zone</source>
        <translation>Time zone</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Each device is read back afterwards: its clock must be within 2 s of this computer's, or its NTP servers as sent.</source>
        <translation>Each device is read back afterwards: its clock must be within 2 s of this computer's, or its NTP servers as sent.</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Set time</source>
        <translation>Set time</translation>
    </message>
    <message>
        <location line="+35" />
        <source>Enter the time zone as POSIX text without spaces, e.g. CET-1CEST,M3.5.0,M10.5.0/3.</source>
        <translation>Enter the time zone as POSIX text without spaces, e.g. CET-1CEST,M3.5.0,M10.5.0/3.</translation>
    </message>
</context>
<context>
    <name>VexaTool::SignInDialog</name>
    <message numerus="yes">
        <location filename="../src/signin/SignInDialog.cpp" line="+50" />
        <source>The login goes to the %n ONVIF device(s) listed now. A device found later shows “Sign-in needed” until you sign in again.</source>
        <translation>
            <numerusform>The login goes to the %n ONVIF device listed now. A device found later shows “Sign-in needed” until you sign in again.</numerusform>
            <numerusform>The login goes to the %n ONVIF devices listed now. A device found later shows “Sign-in needed” until you sign in again.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>VexaTool::SiteBatch</name>
    <message>
        <location filename="../src/siteops/SiteBatch.cpp" line="+87" />
        <source>The device refused the time zone; the time was set without it.</source>
        <translation>The device refused the time zone; the time was set without it.</translation>
    </message>
</context>
<context>
    <name>VexaTool::SnapshotPane</name>
    <message>
        <location filename="../src/preview/SnapshotPane.cpp" line="+41" />
        <source>Camera shown</source>
        <translation>Camera shown</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Camera picture</source>
        <translation>Camera picture</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Picture note</source>
        <translation>Picture note</translation>
    </message>
    <message>
        <location line="+4" />
        <location line="+2" />
        <source>Refresh picture</source>
        <translation>Refresh picture</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Hide</source>
        <translation>Hide</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Hide the picture pane</source>
        <translation>Hide the picture pane</translation>
    </message>
    <message>
        <location line="+69" />
        <source>Select a camera to see its picture.</source>
        <translation>Select a camera to see its picture.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>No picture: this device does not give one.</source>
        <translation>No picture: this device does not give one.</translation>
    </message>
    <message>
        <location line="+6" />
        <source>No picture: sign in to this device first.</source>
        <translation>No picture: sign in to this device first.</translation>
    </message>
    <message>
        <location line="+1" />
        <source>No picture: the device's details are not read yet.</source>
        <translation>No picture: the device's details are not read yet.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Fetching the picture…</source>
        <translation>Fetching the picture…</translation>
    </message>
    <message>
        <location line="+26" />
        <source>No picture: the device gives no snapshot address</source>
        <translation>No picture: the device gives no snapshot address</translation>
    </message>
    <message>
        <location line="+1" />
        <source>No picture: the device gives no snapshot address (%1)</source>
        <translation>No picture: the device gives no snapshot address (%1)</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No picture: %1</source>
        <translation>No picture: %1</translation>
    </message>
    <message>
        <location line="+35" />
        <source>No picture: the device's picture is too large to show.</source>
        <translation>No picture: the device's picture is too large to show.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>No picture: the device sent something that is not a picture.</source>
        <translation>No picture: the device sent something that is not a picture.</translation>
    </message>
</context>
<context>
    <name>VexaTool::StrengthMeter</name>
    <message>
        <location filename="../src/siteops/StrengthMeter.cpp" line="+35" />
        <source>Password strength</source>
        <translation>Password strength</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Weak</source>
        <translation>Weak</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Medium</source>
        <translation>Medium</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Strong</source>
        <translation>Strong</translation>
    </message>
</context>
<context>
    <name>VexaTool::VEXAToolMainPage</name>
    <message>
        <location filename="../src/app/VEXAToolMainPage.cpp" line="+81" />
        <location line="+1" />
        <source>VEXA Tool</source>
        <translation>VEXA Tool</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Sign in to ONVIF devices…</source>
        <translation>Sign in to ONVIF devices…</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Scan addresses…</source>
        <translation>Scan addresses…</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Export inventory…</source>
        <translation>Export inventory…</translation>
    </message>
    <message>
        <location line="+129" />
        <source>Initialization failed.</source>
        <translation>Initialization failed.</translation>
    </message>
    <message>
        <location line="+108" />
        <location line="+14" />
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <location line="-13" />
        <source>A batch is sending to devices. Stop it and exit? Devices not yet sent are left as they are; the results are shown before VEXA closes.</source>
        <translation>A batch is sending to devices. Stop it and exit? Devices not yet sent are left as they are; the results are shown before VEXA closes.</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Exit the VEXA software?</source>
        <translation>Exit the VEXA software?</translation>
    </message>
</context>
<context>
    <name>WarningDialog</name>
    <message>
        <location filename="../src/aptui/WarningDialog.ui" line="+32" />
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <location line="+52" />
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>apt::ToolsApplication</name>
    <message>
        <location filename="../src/app/main.cpp" line="+16" />
        <source>VEXATool</source>
        <translation>VEXATool</translation>
    </message>
    <message>
        <location filename="../src/app/ToolsApplication.cpp" line="+73" />
        <source>VEXA is already running.</source>
        <translation>VEXA is already running.</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Display resolution less than 1024*768,are you sure to start the program?</source>
        <translation>The display resolution is less than 1024×768. Are you sure you want to start the program?</translation>
    </message>
</context>
<context>
    <name>apt::TrustedKeys</name>
    <message>
        <location filename="../src/app/TrustedKeys.cpp" line="+27" />
        <source>VEXA_TRUSTED_KEYS holds no valid key: no device can prove that it is genuine, and no password will be sent to any. Correct the keys and restart the program.</source>
        <translation>VEXA_TRUSTED_KEYS holds no valid key: no device can prove that it is genuine, and no password will be sent to any. Correct the keys and restart the program.</translation>
    </message>
</context>
<context>
    <name>aptui::BatchProgressCover</name>
    <message>
        <location filename="../src/aptui/BatchProgressCover.cpp" line="+41" />
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <location line="+56" />
        <source>Modifying %1 of %2</source>
        <translation>Modifying %1 of %2</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Activating %1 of %2</source>
        <translation>Activating %1 of %2</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Setting the time of %1 of %2</source>
        <translation>Setting the time of %1 of %2</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Changing the password of %1 of %2</source>
        <translation>Changing the password of %1 of %2</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Restarting…</source>
        <translation>Restarting…</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Restarting… (%1 devices)</source>
        <translation>Restarting… (%1 devices)</translation>
    </message>
</context>
<context>
    <name>aptui::CDlgAbout</name>
    <message>
        <location filename="../src/app/CDlgAbout.cpp" line="+23" />
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <location line="+4" />
        <source> v2.0.0.3</source>
        <translation> v2.0.0.3</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Name: </source>
        <translation>Name: </translation>
    </message>
    <message>
        <location line="+4" />
        <source>Version: </source>
        <translation>Version: </translation>
    </message>
</context>
<context>
    <name>aptui::FilePathButton</name>
    <message>
        <location filename="../src/aptui/FilePathButton.cpp" line="+8" />
        <source>Browse</source>
        <translation>Browse</translation>
    </message>
</context>
<context>
    <name>aptui::HintBox</name>
    <message>
        <location filename="../src/aptui/HintBox.cpp" line="+8" />
        <source>Hint</source>
        <translation>Hint</translation>
    </message>
</context>
<context>
    <name>aptui::PinButton</name>
    <message>
        <location filename="../src/aptui/PinButton.cpp" line="+25" />
        <source>Show or hide the settings page</source>
        <translation>Show or hide the settings page</translation>
    </message>
</context>
<context>
    <name>aptui::WindowTitle</name>
    <message>
        <location filename="../src/aptui/WindowTitle.cpp" line="+40" />
        <source>Application</source>
        <translation>Application</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <location line="+1" />
        <location line="+63" />
        <source>Maximize</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <location line="-62" />
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <location line="+65" />
        <source>Restore</source>
        <translation>Restore</translation>
    </message>
</context>
</TS>