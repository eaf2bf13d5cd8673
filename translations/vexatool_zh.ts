<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>AboutClass</name>
    <message>
        <location filename="../src/app/CDlgAbout.ui" line="+63" />
        <source>User Help</source>
        <translation>用户帮助</translation>
    </message>
    <message>
        <location line="+97" />
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <location line="+17" />
        <source>More</source>
        <translation>更多</translation>
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
        <translation>用户帮助</translation>
    </message>
    <message>
        <location line="+3" />
        <source>v3.0.0.1build</source>
        <translation>v3.0.0.1build</translation>
    </message>
    <message>
        <location line="+32" />
        <source>No user manual found.</source>
        <translation>未找到用户手册。</translation>
    </message>
</context>
<context>
    <name>BaseDialog</name>
    <message>
        <location filename="../src/aptui/BaseDialog.ui" line="+14" />
        <source>BaseDialog</source>
        <translation>对话框</translation>
    </message>
    <message>
        <location line="+57" />
        <source>null content</source>
        <translation>无内容</translation>
    </message>
    <message>
        <location line="+70" />
        <source>Confirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>BaseTitle</name>
    <message>
        <location filename="../src/aptui/BaseTitle.ui" line="+36" />
        <source>Application menu</source>
        <translation>应用程序菜单</translation>
    </message>
    <message>
        <location line="+44" />
        <source>Options</source>
        <translation>选项</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Maximize or restore</source>
        <translation>最大化或还原</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>DeviceDisplayPage</name>
    <message>
        <location filename="../src/devicelist/DeviceDisplayPage.ui" line="+14" />
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <location line="+56" />
        <source>Total number of online devices:</source>
        <translation>在线设备总数：</translation>
    </message>
    <message>
        <location line="+65" />
        <source>Sign in to ONVIF devices…</source>
        <translation>登录 ONVIF 设备…</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Sign in to ONVIF devices</source>
        <translation>登录 ONVIF 设备</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Sign in…</source>
        <translation>登录…</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Apply plan…</source>
        <translation>应用部署计划…</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Export inventory</source>
        <translation>导出设备清单</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Export inventory…</source>
        <translation>导出设备清单…</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Find devices behind a router by asking each address of a range</source>
        <translation>逐个询问地址段中的每个地址，查找路由器后面的设备</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Scan addresses</source>
        <translation>扫描地址</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Scan addresses…</source>
        <translation>扫描地址…</translation>
    </message>
    <message>
        <location line="+32" />
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Filter devices</source>
        <translation>筛选设备</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Filter by IP, serial number, MAC, name or type</source>
        <translation>按IP、序列号、MAC、名称或型号筛选</translation>
    </message>
    <message>
        <location line="+24" />
        <source>Devices</source>
        <translation>设备</translation>
    </message>
    <message>
        <location line="-247" />
        <source>Devices hidden by their maker mark</source>
        <translation>因厂商标识而隐藏的设备</translation>
    </message>
</context>
<context>
    <name>DeviceModifyPage</name>
    <message>
        <location filename="../src/modify/DeviceModifyPage.ui" line="+80" />
        <source>New Password:</source>
        <translation>新密码：</translation>
    </message>
    <message>
        <location line="+151" />
        <source>Confirm Password:</source>
        <translation>确认密码：</translation>
    </message>
    <message>
        <location line="+64" />
        <source>Active</source>
        <translation>激活</translation>
    </message>
    <message>
        <location line="+35" />
        <source>ONVIF User:</source>
        <translation>ONVIF 用户名：</translation>
    </message>
    <message>
        <location line="+46" />
        <source>ONVIF Password:</source>
        <translation>ONVIF 密码：</translation>
    </message>
    <message>
        <location line="+49" />
        <source>Admin Password:</source>
        <translation>管理员密码：</translation>
    </message>
    <message>
        <location line="+56" />
        <source>Modify</source>
        <translation>修改</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Set time…</source>
        <translation>设置时间…</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Change ONVIF password…</source>
        <translation>修改 ONVIF 密码…</translation>
    </message>
    <message>
        <location line="+19" />
        <source>Forget Password</source>
        <translation>忘记密码</translation>
    </message>
</context>
<context>
    <name>DeviceModifyResultPage</name>
    <message>
        <location filename="../src/modify/DeviceModifyResultPage.ui" line="+37" />
        <source>Devices Number:</source>
        <translation>设备数量：</translation>
    </message>
    <message>
        <location line="+35" />
        <source>Failed Number:</source>
        <translation>失败数量：</translation>
    </message>
    <message>
        <location line="+22" />
        <source>Save receipt…</source>
        <translation>保存回执…</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Results</source>
        <translation>结果</translation>
    </message>
</context>
<context>
    <name>DeviceNetParaPage</name>
    <message>
        <location filename="../src/modify/DeviceNetParaPage.ui" line="+56" />
        <source>Modify Network parameters</source>
        <translation>修改网络参数</translation>
    </message>
    <message>
        <location line="+37" />
        <source>StartIp:</source>
        <translation>起始IP：</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Please set the start Ip address,then add one</source>
        <translation>请设置起始IP地址，其后依次加一</translation>
    </message>
    <message>
        <location line="+21" />
        <source>Device Serial:</source>
        <translation>设备序列号：</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Device Name:</source>
        <translation>设备名称：</translation>
    </message>
    <message>
        <location line="+39" />
        <source>IP Address:</source>
        <translation>IP地址：</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Port:</source>
        <translation>端口：</translation>
    </message>
    <message>
        <location line="+36" />
        <source>Subnet Mask:</source>
        <translation>子网掩码：</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Gateway:</source>
        <translation>网关：</translation>
    </message>
    <message>
        <location line="+39" />
        <source>IPv6 Address:</source>
        <translation>IPv6地址：</translation>
    </message>
    <message>
        <location line="+39" />
        <source>IPv6 Gateway:</source>
        <translation>IPv6网关：</translation>
    </message>
    <message>
        <location line="+39" />
        <source>IPv6 Prefix Length:</source>
        <translation>IPv6前缀长度：</translation>
    </message>
    <message>
        <location line="+36" />
        <source>Http Port:</source>
        <translation>HTTP端口：</translation>
    </message>
    <message>
        <location line="+36" />
        <source>RTSP Port:</source>
        <translation>RTSP端口：</translation>
    </message>
    <message>
        <location line="+40" />
        <location line="+7" />
        <source>Enable DHCP</source>
        <translation>启用DHCP</translation>
    </message>
    <message>
        <location line="+28" />
        <source>Security Verification</source>
        <translation>安全验证</translation>
    </message>
</context>
<context>
    <name>DevicesInfoSavePage</name>
    <message>
        <location filename="../src/export/DevicesInfoSavePage.ui" line="+13" />
        <source>File name:</source>
        <translation>文件名：</translation>
    </message>
    <message>
        <location line="+15" />
        <source>File path:</source>
        <translation>文件路径：</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Choose the folder</source>
        <translation>选择文件夹</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Format:</source>
        <translation>格式：</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Excel workbook (.xls)</source>
        <translation>Excel工作簿 (.xls)</translation>
    </message>
    <message>
        <location line="+1" />
        <source>CSV, UTF-8 (.csv)</source>
        <translation>CSV，UTF-8 (.csv)</translation>
    </message>
</context>
<context>
    <name>PlanPreviewPage</name>
    <message>
        <location filename="../src/plan/PlanPreviewPage.ui" line="+53" />
        <source>Deployment plan</source>
        <translation>部署计划</translation>
    </message>
    <message>
        <location line="+42" />
        <source>Show marked rows only</source>
        <translation>仅显示有标记的行</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Plan rows</source>
        <translation>计划行</translation>
    </message>
    <message>
        <location line="+27" />
        <source>Admin Password:</source>
        <translation>管理员密码：</translation>
    </message>
    <message>
        <location line="+26" />
        <source>Apply plan</source>
        <translation>应用计划</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>ResetPasswordDialog</name>
    <message>
        <location filename="../src/password/ResetPasswordDialog.ui" line="+84" />
        <source>The first step, please use the two-dimensional code or directly export the key application documents, contact and send to the software manufacturer to obtain the key;</source>
        <translation>第一步，请使用二维码或直接导出密钥申请文件，联系并发送给软件厂商以获取密钥；</translation>
    </message>
    <message>
        <location line="+42" />
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <location line="+19" />
        <source>QR code</source>
        <translation>二维码</translation>
    </message>
    <message>
        <location line="+94" />
        <source>Second step, import the key information from the manufacturer;</source>
        <translation>第二步，导入厂商提供的密钥信息；</translation>
    </message>
    <message>
        <location line="+30" />
        <source>ManualInput</source>
        <translation>手动输入</translation>
    </message>
    <message>
        <location line="+10" />
        <source>AutoInput</source>
        <translation>自动导入</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Secret key or key file</source>
        <translation>密钥或密钥文件</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Choose the key file</source>
        <translation>选择密钥文件</translation>
    </message>
    <message>
        <location line="+47" />
        <source>New Password:</source>
        <translation>新密码：</translation>
    </message>
    <message>
        <location line="+131" />
        <source>Confirm Password:</source>
        <translation>确认密码：</translation>
    </message>
    <message>
        <location line="+45" />
        <source>Reset IPC</source>
        <translation>重置IPC</translation>
    </message>
</context>
<context>
    <name>ResrotePasswordDialog</name>
    <message>
        <location filename="../src/password/RestorePasswordDialog.ui" line="+34" />
        <source>Reset Default Password</source>
        <translation>恢复默认密码</translation>
    </message>
    <message>
        <location line="+27" />
        <source>Security Code:</source>
        <translation>安全码：</translation>
    </message>
    <message>
        <location line="+50" />
        <source>New Password:</source>
        <translation>新密码：</translation>
    </message>
    <message>
        <location line="+61" />
        <source>Confirm Password:</source>
        <translation>确认密码：</translation>
    </message>
</context>
<context>
    <name>ScanRangesDialog</name>
    <message>
        <location filename="../src/scan/ScanRangesDialog.ui" line="+14" />
        <source>Scan addresses</source>
        <translation>扫描地址</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Discovery does not cross routers. Give the address ranges of the cameras' subnets: each address is asked directly, on our protocol and by WS-Discovery.</source>
        <translation>设备搜索无法跨越路由器。请给出摄像机所在子网的地址段：将通过本公司协议和 WS-Discovery 直接询问每个地址。</translation>
    </message>
    <message>
        <location line="+10" />
        <source>&amp;Ranges:</source>
        <translation>地址段(&amp;R)：</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Address ranges</source>
        <translation>地址段</translation>
    </message>
    <message>
        <location line="+3" />
        <source>10.2.0.0/24, 10.3.0.10-10.3.0.50, 10.4.0.7</source>
        <translation>10.2.0.0/24, 10.3.0.10-10.3.0.50, 10.4.0.7</translation>
    </message>
    <message>
        <location line="+13" />
        <source>R&amp;ecent ranges (click one to scan it again):</source>
        <translation>最近的地址段（单击即可再次扫描）(&amp;E)：</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Recent ranges</source>
        <translation>最近的地址段</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Advanced</source>
        <translation>高级</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Tries per &amp;second:</source>
        <translation>每秒询问次数(&amp;S)：</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Tries per second</source>
        <translation>每秒询问次数</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Addresses &amp;waiting at once:</source>
        <translation>同时等待应答的地址数(&amp;W)：</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Addresses waiting at once</source>
        <translation>同时等待应答的地址数</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Stop after (&amp;minutes):</source>
        <translation>最长扫描时间（分钟）(&amp;M)：</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Stop after minutes</source>
        <translation>最长扫描时间（分钟）</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Also ask over HTTP</source>
        <translation>同时通过 HTTP 询问</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Also ask over &amp;HTTP where no probe is answered</source>
        <translation>探测无应答时同时通过 &amp;HTTP 询问</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Off by default: it connects to ports 80, 8080 and 8000 of every silent address, which takes longer and looks like a port scan to a network's security tools. Turn it on for devices that do not answer probes sent to them directly.</source>
        <translation>默认关闭：它会连接每个无应答地址的 80、8080 和 8000 端口，耗时更长，且在网络安全工具看来像是端口扫描。对不应答直接探测的设备，请开启此项。</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Scan progress</source>
        <translation>扫描进度</translation>
    </message>
    <message>
        <location line="+45" />
        <source>Scan</source>
        <translation>扫描</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>ScanSummaryDialog</name>
    <message>
        <location filename="../src/scan/ScanSummaryDialog.ui" line="+14" />
        <source>Scan summary</source>
        <translation>扫描摘要</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Found:</source>
        <translation>已找到：</translation>
    </message>
    <message>
        <location line="+14" />
        <source>No answer:</source>
        <translation>无应答：</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Port closed:</source>
        <translation>端口关闭：</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Answered, but not a camera:</source>
        <translation>有应答，但不是摄像机：</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Refused sign-in:</source>
        <translation>拒绝登录：</translation>
    </message>
    <message>
        <location line="+17" />
        <source>Scanned addresses</source>
        <translation>已扫描的地址</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Export the scan summary</source>
        <translation>导出扫描摘要</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Export…</source>
        <translation>导出…</translation>
    </message>
    <message>
        <location line="+10" />
        <location line="+3" />
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>SignInDialog</name>
    <message>
        <location filename="../src/signin/SignInDialog.ui" line="+14" />
        <source>Sign in to ONVIF devices</source>
        <translation>登录 ONVIF 设备</translation>
    </message>
    <message>
        <source>Cameras of other makes tell their details only after a sign-in. This user name and password are used for every ONVIF device during this run.</source>
        <translation type="vanished">其他品牌的摄像机只有在登录后才会告知其详细信息。本次运行期间，所有 ONVIF 设备都使用此用户名和密码。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Cameras of other makes tell their details only after a sign-in.</source>
        <translation>其他品牌的摄像机只有在登录后才告知其详细信息。</translation>
    </message>
    <message>
        <location line="+22" />
        <source>&amp;User name</source>
        <translation>用户名(&amp;U)</translation>
    </message>
    <message>
        <location line="+10" />
        <source>User name</source>
        <translation>用户名</translation>
    </message>
    <message>
        <location line="+10" />
        <source>&amp;Password</source>
        <translation>密码(&amp;P)</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Sign in to &amp;new devices automatically</source>
        <translation>自动登录新发现的设备(&amp;N)</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Sign in to new devices automatically</source>
        <translation>自动登录新发现的设备</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Also gives this login to every ONVIF device found later. Any computer on the network can claim to be a camera and would receive it.</source>
        <translation>也将此登录信息发给之后发现的每台 ONVIF 设备。网络上的任何电脑都可以自称摄像机并收到它。</translation>
    </message>
    <message>
        <location line="+7" />
        <source>&amp;Remember on this computer</source>
        <translation>在此电脑上记住(&amp;R)</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Remember on this computer</source>
        <translation>在此电脑上记住</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Kept in the system keyring, never in a file of this program.</source>
        <translation>保存在系统密钥环中，绝不会写入本程序的任何文件。</translation>
    </message>
    <message>
        <location line="+34" />
        <location line="+3" />
        <source>Sign in</source>
        <translation>登录</translation>
    </message>
    <message>
        <location line="+10" />
        <location line="+3" />
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>TipDialog</name>
    <message>
        <location filename="../src/aptui/TipDialog.ui" line="+30" />
        <source>sure</source>
        <translation>确定吗？</translation>
    </message>
</context>
<context>
    <name>VEXAToolMainPage</name>
    <message>
        <location filename="../src/app/VEXAToolMainPage.ui" line="+14" />
        <source>VEXAToolMainPage</source>
        <translation>VEXA 工具</translation>
    </message>
</context>
<context>
    <name>VexaTool::ClockOffset</name>
    <message>
        <location filename="../src/fleet/ClockOffset.cpp" line="+17" />
        <source>%1%2 h %3 min</source>
        <translation>%1%2 小时 %3 分</translation>
    </message>
    <message>
        <location line="+0" />
        <source>%1%2 h</source>
        <translation>%1%2 小时</translation>
    </message>
    <message>
        <location line="+2" />
        <source>%1%2 min %3 s</source>
        <translation>%1%2 分 %3 秒</translation>
    </message>
    <message>
        <location line="+0" />
        <source>%1%2 min</source>
        <translation>%1%2 分</translation>
    </message>
    <message>
        <location line="+1" />
        <source>%1%2 s</source>
        <translation>%1%2 秒</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Time zone: not given</source>
        <translation>时区：未提供</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Time zone: %1</source>
        <translation>时区：%1</translation>
    </message>
    <message>
        <location line="+3" />
        <source>NTP: off (time set by hand)</source>
        <translation>NTP：关闭（手动设置时间）</translation>
    </message>
    <message>
        <location line="+2" />
        <source>NTP: servers from DHCP</source>
        <translation>NTP：服务器来自 DHCP</translation>
    </message>
    <message>
        <location line="+2" />
        <source>NTP: %1</source>
        <translation>NTP：%1</translation>
    </message>
    <message>
        <location line="+2" />
        <source>NTP: on (servers need a sign-in to read)</source>
        <translation>NTP：开启（需要登录才能读取服务器）</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceActivePage</name>
    <message>
        <location filename="../src/modify/DeviceActivePage.cpp" line="+43" />
        <source>Device not activated</source>
        <translation>设备未激活</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The network parameters can be modified after the device is activated</source>
        <translation>设备激活后才能修改网络参数</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Active now</source>
        <translation>立即激活</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Device active</source>
        <translation>设备激活</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Batch devices active</source>
        <translation>批量激活设备</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Batch devices network parameters</source>
        <translation>批量设备网络参数</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sorry,the devices you have chosen has not activated devices</source>
        <translation>抱歉，所选设备中有未激活的设备</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Note: please activate</source>
        <translation>注：请先激活</translation>
    </message>
    <message>
        <location line="+1" />
        <source>the device</source>
        <translation>设备</translation>
    </message>
    <message>
        <location line="+1" />
        <source>to perform other operations</source>
        <translation>再进行其他操作</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceDisplayPage</name>
    <message>
        <location filename="../src/devicelist/DeviceDisplayPage.cpp" line="+132" />
        <source>Open deployment plan</source>
        <translation>打开部署计划</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Deployment plans (*.csv);;All files (*)</source>
        <translation>部署计划 (*.csv);;所有文件 (*)</translation>
    </message>
    <message>
        <location line="+205" />
        <source>%1 of %2</source>
        <translation>%1 / %2</translation>
    </message>
    <message numerus="yes">
        <location line="+4" />
        <source>%n of them ONVIF devices</source>
        <translation>
            <numerusform>其中 %n 台为 ONVIF 设备</numerusform>
        </translation>
    </message>
    <message>
        <location line="+314" />
        <source>Device actions</source>
        <translation>设备操作</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Accept the new certificate</source>
        <translation>接受新证书</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation type="vanished">成功</translation>
    </message>
    <message>
        <location line="-107" />
        <source>Deployment plan</source>
        <translation>部署计划</translation>
    </message>
    <message numerus="yes">
        <location line="-208" />
        <source>(%n hidden)</source>
        <translation>
            <numerusform>（%n 台已隐藏）</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+2" />
        <source>%n device(s) of ours answered with another maker's mark and are not listed. The command-line client lists them; Refresh counts again.</source>
        <translation>
            <numerusform>%n 台本公司设备以其他厂商的标识应答，未列出。命令行客户端会列出它们；刷新后重新计数。</numerusform>
        </translation>
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
        <translation>是</translation>
    </message>
    <message>
        <location line="+1" />
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <location line="+1" />
        <source>ON</source>
        <translation>开启</translation>
    </message>
    <message>
        <location line="+1" />
        <source>OFF</source>
        <translation>关闭</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Activated</source>
        <translation>已激活</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Not activated</source>
        <translation>未激活</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Restarting…</source>
        <translation>正在重启…</translation>
    </message>
    <message>
        <location line="+1" />
        <source>A change was sent to it. It keeps its row until it answers again.</source>
        <translation>已向该设备发送更改。在它再次应答之前，它保留所在的行。</translation>
    </message>
    <message>
        <location line="+45" />
        <source>ID</source>
        <translation>序号</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Device Type</source>
        <translation>设备类型</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Activate</source>
        <translation>激活</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv4 Address</source>
        <translation>IPv4地址</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Soft Vision</source>
        <translation>软件版本</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv4 GateWay</source>
        <translation>IPv4网关</translation>
    </message>
    <message>
        <location line="+1" />
        <source>HttpPort</source>
        <translation>HTTP端口</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Serial Number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv4 Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <location line="+1" />
        <source>MAC</source>
        <translation>MAC地址</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Channel NO</source>
        <translation>通道数</translation>
    </message>
    <message>
        <location line="+1" />
        <source>DSP Vision</source>
        <translation>DSP版本</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Start Time</source>
        <translation>启动时间</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv6 Address</source>
        <translation>IPv6地址</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv6 GateWay</source>
        <translation>IPv6网关</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv6 Prefix Length</source>
        <translation>IPv6前缀长度</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Is Support IPv6</source>
        <translation>是否支持IPv6</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Is Support Mod IPv6</source>
        <translation>是否支持修改IPv6</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Is Support DHCP</source>
        <translation>是否支持DHCP</translation>
    </message>
    <message>
        <location line="+1" />
        <source>IPv4 DHCP</source>
        <translation>IPv4 DHCP</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Service Tag</source>
        <translation>服务标签</translation>
    </message>
    <message>
        <location line="+1" />
        <source>RTSP Port</source>
        <translation>RTSP端口</translation>
    </message>
    <message>
        <location line="+1" />
        <source>isActivatd</source>
        <translation>激活状态</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Clock</source>
        <translation>时钟</translation>
    </message>
    <message>
        <location line="+188" />
        <source>The identity of this device is not verified, so no password is sent to it.</source>
        <translation>此设备的身份未经验证，因此不会向其发送任何密码。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>It also answers as an ONVIF device.</source>
        <translation>该设备也以 ONVIF 设备身份应答。</translation>
    </message>
    <message>
        <location line="+21" />
        <source>It also answers as an ONVIF device; it is handled as one of ours.</source>
        <translation>该设备也以 ONVIF 设备身份应答；程序将其作为自有设备处理。</translation>
    </message>
    <message>
        <location line="+11" />
        <source>ONVIF device</source>
        <translation>ONVIF 设备</translation>
    </message>
    <message>
        <location line="+1" />
        <source>ONVIF device made by %1</source>
        <translation>ONVIF 设备，制造商：%1</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Sign-in refused</source>
        <translation>登录被拒绝</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Sign-in refused: the device did not accept the user name or password.</source>
        <translation>登录被拒绝：设备不接受该用户名或密码。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sign-in refused: %1</source>
        <translation>登录被拒绝：%1</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Sign-in needed</source>
        <translation>需要登录</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sign in to ONVIF devices to read its details.</source>
        <translation>登录 ONVIF 设备后才能读取其详细信息。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Not reachable</source>
        <translation>无法访问</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Its ONVIF service did not answer.</source>
        <translation>该设备的 ONVIF 服务没有应答。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Details partly read</source>
        <translation>部分详细信息已读取</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Some of its details could not be read.</source>
        <translation>部分详细信息无法读取。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Details partly read: %1</source>
        <translation>已读取部分详细信息：%1</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Reading details</source>
        <translation>正在读取详细信息</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Certificate changed</source>
        <translation>证书已变更</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Its HTTPS certificate is not the one it showed before, so nothing was sent to it. If the camera was replaced or reset, right-click the row and accept the new certificate.</source>
        <translation>其 HTTPS 证书与之前出示的不同，因此没有向它发送任何内容。如果摄像机已更换或重置，请右键单击该行并接受新证书。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Said goodbye; checking</source>
        <translation>已通知离线；正在核实</translation>
    </message>
    <message>
        <location line="+2" />
        <source>It said goodbye. It stays listed until its address stops answering.</source>
        <translation>它已通知离线。在其地址不再应答之前，它仍保留在列表中。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>A message named another address for it. It stays at this one until the camera itself confirms the move.</source>
        <translation>有消息为它指明了另一个地址。在摄像机本身确认迁移之前，它保留在当前地址。</translation>
    </message>
    <message>
        <location line="+322" />
        <source>Not read</source>
        <translation>未读取</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device did not give its time.</source>
        <translation>设备没有给出时间。</translation>
    </message>
    <message>
        <location line="+7" />
        <source>More than %1 s off: sign-ins and recordings' times fail.</source>
        <translation>偏差超过 %1 秒：登录和录像时间都会出错。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>More than %1 s off.</source>
        <translation>偏差超过 %1 秒。</translation>
    </message>
    <message>
        <location line="+27" />
        <source>Found by scanning addresses</source>
        <translation>通过扫描地址找到</translation>
    </message>
    <message>
        <location line="+22" />
        <source>Address used by %1 devices</source>
        <translation>%1台设备使用此地址</translation>
    </message>
    <message>
        <location line="-648" />
        <source>Tick every listed device, or untick them all</source>
        <translation>勾选所有列出的设备，或全部取消勾选</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Tick all listed devices</source>
        <translation>勾选所有列出的设备</translation>
    </message>
    <message>
        <location line="-79" />
        <source>ONVIF devices have no activation step: they come with the password their maker set.</source>
        <translation>ONVIF 设备没有激活步骤：它们使用厂商设置的密码。</translation>
    </message>
    <message>
        <location line="+734" />
        <source>Tick %1 at %2</source>
        <translation>勾选 %1（%2）</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceListHeader</name>
    <message>
        <location filename="../src/devicelist/DeviceListHeader.cpp" line="+16" />
        <source>Tick all listed devices</source>
        <translation>勾选所有列出的设备</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Tick every listed device, or untick them all</source>
        <translation>勾选所有列出的设备，或全部取消勾选</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceModifyPage</name>
    <message>
        <location filename="../src/outcome/ErrorText.cpp" line="+104" />
        <location line="+5" />
        <location line="+55" />
        <source>Error%1:others</source>
        <translation>错误%1：其他错误</translation>
    </message>
    <message>
        <location line="-66" />
        <source>Activate Succeed.</source>
        <translation>激活成功。</translation>
    </message>
    <message>
        <location line="+2" />
        <location line="+15" />
        <source>Device deny.</source>
        <translation>设备拒绝。</translation>
    </message>
    <message>
        <location line="-13" />
        <location line="+15" />
        <source>Time out.</source>
        <translation>超时。</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation type="vanished">成功</translation>
    </message>
    <message>
        <location line="-10" />
        <source>Error%1:Device deny.</source>
        <translation>错误%1：设备拒绝。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Error%1:reactive</source>
        <translation>错误%1：设备已激活</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Modify network parameters succeed.</source>
        <translation>修改网络参数成功。</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Error%1:device deny</source>
        <translation>错误%1：设备拒绝</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Error%1:time out</source>
        <translation>错误%1：超时</translation>
    </message>
    <message>
        <location filename="../src/modify/DeviceModifyPage.cpp" line="+47" />
        <source>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</source>
        <translation>密码过长：最多占用16个字节，而每个非ASCII字符（如汉字）占用多个字节。</translation>
    </message>
    <message>
        <location line="+36" />
        <source>ONVIF devices have no password recovery here; reset a forgotten password on the device itself.</source>
        <translation>本程序无法为 ONVIF 设备找回密码；请在设备上自行重置遗忘的密码。</translation>
    </message>
    <message>
        <location line="+235" />
        <source>Left out: the settings of this ONVIF device are not read yet; sign in first.</source>
        <translation>已排除：尚未读取该 ONVIF 设备的参数，请先登录。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Left out: the port of an ONVIF device cannot be changed.</source>
        <translation>已排除：ONVIF 设备的端口不能修改。</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Weak</source>
        <translation>弱</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Medium</source>
        <translation>中</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Strong</source>
        <translation>强</translation>
    </message>
    <message>
        <location line="+11" />
        <location line="+399" />
        <source>Please select a device.</source>
        <translation>请选择设备。</translation>
    </message>
    <message>
        <location line="-394" />
        <source>ONVIF devices have no activation here: they come with the password their maker set.</source>
        <translation>ONVIF 设备在此无需激活：它们出厂时已带有厂家设置的密码。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The password can not be empty.</source>
        <translation>密码不能为空。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The password you typed do not match.</source>
        <translation>两次输入的密码不一致。</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Valid password range [8-16]. You can use a combination of numbers,lowercase, uppercase and special character for your password with at least two kinds of them contained.</source>
        <translation>密码长度范围为[8-16]位，可由数字、小写字母、大写字母和特殊字符组合而成，且至少包含其中两种。</translation>
    </message>
    <message>
        <location line="+30" />
        <location line="+415" />
        <source>Sorry, please select the equipment.</source>
        <translation>抱歉，请选择设备。</translation>
    </message>
    <message>
        <location line="-389" />
        <source>Sorry, please enter the administrator password.</source>
        <translation>抱歉，请输入管理员密码。</translation>
    </message>
    <message>
        <location line="+6" />
        <location line="+403" />
        <source>Please enter the ONVIF user name.</source>
        <translation>请输入 ONVIF 用户名。</translation>
    </message>
    <message>
        <location line="-399" />
        <location line="+403" />
        <source>Please enter the ONVIF password.</source>
        <translation>请输入 ONVIF 密码。</translation>
    </message>
    <message>
        <location line="-333" />
        <location line="+402" />
        <source>A device has not answered an earlier change yet. Try again once it has.</source>
        <translation>有设备尚未回应上一次修改。请在其回应后再试。</translation>
    </message>
    <message>
        <location line="-374" />
        <source>These devices take no start address. Enable DHCP, or select devices that take one.</source>
        <translation>所选设备不能使用起始地址。请启用DHCP，或选择可以使用起始地址的设备。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>%1 addresses from %2 would run past %3.255.255.</source>
        <translation>从 %2 开始的 %1 个地址将超出 %3.255.255。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>%1 addresses from %2 would include the network or broadcast address of the subnet.</source>
        <translation>从 %2 开始的 %1 个地址将包含该子网的网络地址或广播地址。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>%1 addresses from %2 would leave the subnet of mask %3.</source>
        <translation>从 %2 开始的 %1 个地址将超出子网掩码 %3 所定义的子网。</translation>
    </message>
    <message>
        <location line="+23" />
        <source>%1 is the address of %2 (%3), which is not in this batch.</source>
        <translation>%1 是 %2（%3）的地址，而该设备不在本批次中。</translation>
    </message>
    <message>
        <location line="+57" />
        <source>Not sent</source>
        <translation>未发送</translation>
    </message>
    <message>
        <location line="+97" />
        <source>Activation</source>
        <translation>激活</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Batch activate devices</source>
        <translation>批量激活设备数</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Activate fail numbers</source>
        <translation>激活失败数</translation>
    </message>
    <message>
        <location line="+123" />
        <source>Left out: the time of this device cannot be set.</source>
        <translation>未处理：无法设置此设备的时间。</translation>
    </message>
    <message>
        <location line="+15" />
        <source>Left out: the ONVIF password of this device cannot be changed.</source>
        <translation>未处理：无法修改此设备的 ONVIF 密码。</translation>
    </message>
    <message>
        <location line="+30" />
        <source>Nothing was sent: %1</source>
        <translation>未发送任何请求：%1</translation>
    </message>
    <message>
        <location line="+27" />
        <source>Set time</source>
        <translation>设置时间</translation>
    </message>
    <message>
        <location line="+0" />
        <source>ONVIF password</source>
        <translation>ONVIF 密码</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Set the time of devices</source>
        <translation>设置设备时间</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Change the ONVIF password of devices</source>
        <translation>修改设备的 ONVIF 密码</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceModifyResultPage</name>
    <message>
        <location filename="../src/modify/DeviceModifyResultPage.cpp" line="+35" />
        <source>Confirmation List</source>
        <translation>确认列表</translation>
    </message>
    <message>
        <location line="+8" />
        <source>ID</source>
        <translation>序号</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Device Type</source>
        <translation>设备类型</translation>
    </message>
    <message>
        <location line="+0" />
        <source>IPv4 Address</source>
        <translation>IPv4地址</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Serial Number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Modification</source>
        <translation>修改</translation>
    </message>
    <message>
        <location line="+11" />
        <source>receipt-%1.csv</source>
        <translation>回执-%1.csv</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Save receipt</source>
        <translation>保存回执</translation>
    </message>
    <message>
        <location line="+0" />
        <source>CSV files (*.csv)</source>
        <translation>CSV文件 (*.csv)</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Receipts…</source>
        <translation>回执…</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Open the folder of receipts</source>
        <translation>打开回执所在文件夹</translation>
    </message>
    <message>
        <location line="+111" />
        <source>The receipt could not be saved: %1</source>
        <translation>回执无法保存：%1</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation type="vanished">成功</translation>
    </message>
    <message>
        <location line="-94" />
        <source>Copy path</source>
        <translation>复制路径</translation>
    </message>
    <message>
        <location line="-1" />
        <source>Where the receipt is</source>
        <translation>回执位置</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Copy the path of the receipts folder</source>
        <translation>复制回执文件夹的路径</translation>
    </message>
    <message>
        <location line="+21" />
        <source>Receipts folder: %1</source>
        <translation>回执文件夹：%1</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Receipt saved as %1</source>
        <translation>回执已保存为 %1</translation>
    </message>
    <message>
        <location line="+38" />
        <source>Done</source>
        <translation>完成</translation>
    </message>
</context>
<context>
    <name>VexaTool::DeviceNetParaPage</name>
    <message>
        <location filename="../src/modify/DeviceNetParaPage.cpp" line="+41" />
        <source>An ONVIF device's port is where its service answers; it cannot be changed here.</source>
        <translation>ONVIF 设备的端口是其服务应答的端口，不能在此修改。</translation>
    </message>
    <message>
        <location line="+117" />
        <source>Modify Network parameters</source>
        <translation>修改网络参数</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Batch Modify Network parameters</source>
        <translation>批量修改网络参数</translation>
    </message>
    <message>
        <location line="+146" />
        <source>The IPv6 settings of an ONVIF device cannot be changed here.</source>
        <translation>不能在此修改 ONVIF 设备的 IPv6 设置。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The device reports no IPv6 address.</source>
        <translation>该设备未上报 IPv6 地址。</translation>
    </message>
    <message>
        <location line="+52" />
        <source>ONVIF devices keep their port: a port typed here leaves them out.</source>
        <translation>ONVIF 设备保留其端口：在此输入端口会将它们排除在外。</translation>
    </message>
    <message>
        <location line="+8" />
        <source>None of these devices takes a gateway from a batch: each keeps its own.</source>
        <translation>这些设备都不接受批量设置的网关：各自保留原网关。</translation>
    </message>
    <message numerus="yes">
        <location line="+1" />
        <source>The gateway goes only to the devices that take one: %n of the ticked devices keep their own.</source>
        <translation>
            <numerusform>网关只发给接受它的设备：所选设备中有 %n 台保留原网关。</numerusform>
        </translation>
    </message>
    <message>
        <location line="+31" />
        <source>Please input IP Address.</source>
        <translation>请输入IP地址。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>IP Address not correct.</source>
        <translation>IP地址不正确。</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Subnet mask can not be empty.</source>
        <translation>子网掩码不能为空。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Subnet Mask not correct.</source>
        <translation>子网掩码不正确。</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Device port ranges from 2000 to 65535.</source>
        <translation>设备端口范围为2000到65535。</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Gateway can not be empty</source>
        <translation>网关不能为空</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Gateway not correct.</source>
        <translation>网关不正确。</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Http port ranges from 1 to 65535.</source>
        <translation>HTTP端口范围为1到65535。</translation>
    </message>
    <message>
        <location line="+7" />
        <source>RTSP port ranges from 0 to 65535.</source>
        <translation>RTSP端口范围为0到65535。</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Device name cannot be empty.</source>
        <translation>设备名称不能为空。</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Device name is too long for the device.</source>
        <translation>设备名称过长，设备无法保存。</translation>
    </message>
    <message>
        <source>The device cannot store characters outside Latin-1 in its name.</source>
        <translation type="vanished">设备名称不能保存 Latin-1 以外的字符。</translation>
    </message>
    <message>
        <location line="+18" />
        <source>IPv6 prefix length ranges from 0 to 127.</source>
        <translation>IPv6前缀长度范围为0到127。</translation>
    </message>
    <message>
        <location line="+22" />
        <source>IPv6 Address not correct.</source>
        <translation>IPv6地址不正确。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>IPv6 gateway not correct.</source>
        <translation>IPv6网关不正确。</translation>
    </message>
    <message>
        <location line="-435" />
        <location line="+2" />
        <source>Keep each device's name</source>
        <translation>保留各设备的名称</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Untick to name the devices: {n} in the name counts 1, 2, 3… in the list's order, as in Lobby-{n}.</source>
        <translation>取消勾选以命名设备：名称中的 {n} 按列表顺序计为 1、2、3…，例如 Lobby-{n}。</translation>
    </message>
    <message>
        <location line="+100" />
        <source>Lobby-{n}</source>
        <translation>大厅-{n}</translation>
    </message>
</context>
<context>
    <name>VexaTool::DevicesInfoSavePage</name>
    <message>
        <location filename="../src/export/DevicesInfoSavePage.cpp" line="+70" />
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <location line="+51" />
        <source>Please input file name.</source>
        <translation>请输入文件名。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Please input file path.</source>
        <translation>请输入文件路径。</translation>
    </message>
    <message>
        <location line="+6" />
        <location line="+12" />
        <source>The file name has been used, please change it</source>
        <translation>该文件名已被使用，请更换</translation>
    </message>
    <message>
        <location line="-8" />
        <location line="+12" />
        <source>Saving succeed.</source>
        <translation>保存成功。</translation>
    </message>
    <message>
        <location line="-9" />
        <location line="+12" />
        <source>Saving failed.</source>
        <translation>保存失败。</translation>
    </message>
</context>
<context>
    <name>VexaTool::ErrorText</name>
    <message>
        <location filename="../src/outcome/ErrorText.cpp" line="-106" />
        <source>Succeed</source>
        <translation>成功</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device discovery is not running. Restart the program and try again.</source>
        <translation>设备搜索未运行。请重新启动程序后重试。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device refused a value. Check the parameters and try again.</source>
        <translation>设备拒绝了某个参数值。请检查参数后重试。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No usable network interface. Check the network connection.</source>
        <translation>没有可用的网络接口。请检查网络连接。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device is no longer on the network. Refresh the list and try again.</source>
        <translation>设备已不在网络中。请刷新列表后重试。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device could not prove that it is genuine. Nothing was sent to it.</source>
        <translation>设备无法证明其为正品，未向其发送任何内容。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device sent more data than expected.</source>
        <translation>设备返回的数据超出预期。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The file could not be read.</source>
        <translation>无法读取该文件。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Device deny.</source>
        <translation>设备拒绝。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Time out.</source>
        <translation>超时。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Too many wrong passwords: the device is locked for a while. Try again later.</source>
        <translation>密码错误次数过多，设备已暂时锁定。请稍后重试。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device refused the password as too weak.</source>
        <translation>设备认为该密码强度太弱，拒绝使用。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device is not activated. Activate it first.</source>
        <translation>设备未激活。请先激活设备。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The device does not support this operation.</source>
        <translation>设备不支持此操作。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The device is already activated.</source>
        <translation>设备已激活。</translation>
    </message>
    <message>
        <location line="-4" />
        <source>Two devices on the network share this serial number or MAC address. Nothing was sent.</source>
        <translation>网络上有两台设备使用相同的序列号或 MAC 地址，未发送任何内容。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device could not save the change and kept its old settings.</source>
        <translation>设备无法保存修改，已保留原有设置。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device was only heard announcing itself and did not answer when asked. Nothing was sent; refresh the list.</source>
        <translation>只收到该设备的自我通告，询问时它没有应答。未发送任何内容；请刷新列表。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The device asks for a user name and password. Sign in and try again.</source>
        <translation>设备要求输入用户名和密码。请登录后重试。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The device refused a value of the change.</source>
        <translation>设备拒绝了本次修改中的某个值。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The device could not carry out the request.</source>
        <translation>设备无法执行该请求。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device did not come back at its new address in time. Check the device.</source>
        <translation>设备未能在规定时间内以新地址重新上线。请检查设备。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device answered, but still has its old settings: the change was not applied.</source>
        <translation>设备已应答，但仍保留原有设置：修改未生效。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device's answer could not be understood.</source>
        <translation>无法识别设备的应答。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No connection to the device. Check the address and the network.</source>
        <translation>无法连接到设备。请检查地址和网络。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The camera's HTTPS certificate is not the one it showed before, so nothing was sent. If the camera was replaced, accept its new certificate from the row's menu.</source>
        <translation>摄像机的 HTTPS 证书与之前出示的不同，因此未发送任何内容。如果摄像机已更换，请从该行的菜单中接受其新证书。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Something answers at the new address. Nothing was sent.</source>
        <translation>新地址上有设备或主机应答。未发送任何内容。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The range holds public addresses. Confirm that they are yours before scanning them.</source>
        <translation>该范围包含公网地址。扫描前请确认它们属于您。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Another scan is running. Wait for it or stop it.</source>
        <translation>另一个扫描正在进行。请等待它完成或将其停止。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device changed meanwhile; refresh and try again.</source>
        <translation>设备在此期间已发生变化；请刷新后重试。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device did not confirm the change in time; it may have been applied. Check the device.</source>
        <translation>设备未在规定时间内确认修改；修改可能已生效。请检查设备。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device is being restored with its security code; it takes no activation meanwhile.</source>
        <translation>设备正在使用安全码恢复，在此期间不接受激活。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The device accepted the request but the new password does not work.</source>
        <translation>设备接受了请求，但新密码无法登录。</translation>
    </message>
    <message>
        <location line="+64" />
        <source>Unknown error %1.</source>
        <translation>未知错误 %1。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Error%1:%2</source>
        <translation>错误%1：%2</translation>
    </message>
</context>
<context>
    <name>VexaTool::ExcelManager</name>
    <message>
        <location filename="../src/export/ExcelManager.cpp" line="+42" />
        <source>Serial Number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Device Serial Number</source>
        <translation>设备序列号</translation>
    </message>
</context>
<context>
    <name>VexaTool::InventoryDialog</name>
    <message>
        <location filename="../src/preview/InventoryDialog.cpp" line="+38" />
        <location line="+80" />
        <source>Export inventory</source>
        <translation>导出设备清单</translation>
    </message>
    <message numerus="yes">
        <location line="-77" />
        <source>One row per device and video profile, with its stream and snapshot addresses, for a video management system's import. %n device(s).</source>
        <translation>
            <numerusform>每台设备的每个视频配置文件一行，含码流地址和抓图地址，供视频管理系统导入。共 %n 台设备。</numerusform>
        </translation>
    </message>
    <message>
        <location line="+9" />
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Browse…</source>
        <translation>浏览…</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Choose the file</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Format</source>
        <translation>格式</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Excel workbook (.xls)</source>
        <translation>Excel工作簿 (.xls)</translation>
    </message>
    <message>
        <location line="+1" />
        <source>CSV, comma separated (.csv)</source>
        <translation>CSV，逗号分隔 (.csv)</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Add a user-name column</source>
        <translation>添加用户名列</translation>
    </message>
    <message>
        <location line="+4" />
        <source>User name</source>
        <translation>用户名</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Written in every row; the password is never written.</source>
        <translation>写入每一行；密码从不写入。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>&amp;File:</source>
        <translation>文件(&amp;F)：</translation>
    </message>
    <message>
        <location line="+3" />
        <source>F&amp;ormat:</source>
        <translation>格式(&amp;O)：</translation>
    </message>
    <message>
        <location line="+4" />
        <source>&amp;User name:</source>
        <translation>用户名(&amp;U)：</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Devices read</source>
        <translation>已读取的设备</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <location line="+19" />
        <source>CSV files (*.csv)</source>
        <translation>CSV文件 (*.csv)</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Excel workbooks (*.xls)</source>
        <translation>Excel工作簿 (*.xls)</translation>
    </message>
    <message>
        <location line="+18" />
        <source>Reading devices: %1 of %2</source>
        <translation>正在读取设备：%1 / %2</translation>
    </message>
    <message>
        <location line="+42" />
        <source>Choose a file first.</source>
        <translation>请先选择文件。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>%1 exists. Choose it with "Browse…" to replace it, or type another name.</source>
        <translation>%1 已存在。如要替换，请通过“浏览…”选择它，或输入其他文件名。</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Stopped: nothing was written.</source>
        <translation>已停止：未写入任何内容。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Writing the file…</source>
        <translation>正在写入文件…</translation>
    </message>
    <message>
        <location line="+19" />
        <source>A workbook holds at most 65,535 rows; choose CSV.</source>
        <translation>工作簿最多容纳65,535行；请选择CSV。</translation>
    </message>
    <message numerus="yes">
        <location line="+18" />
        <source>Written: %1 (%n row(s))</source>
        <translation>
            <numerusform>已写入：%1（%n 行）</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2" />
        <source>Not written: %1</source>
        <translation>未写入：%1</translation>
    </message>
</context>
<context>
    <name>VexaTool::NtpServerList</name>
    <message>
        <location filename="../src/siteops/NtpServerList.cpp" line="+37" />
        <source>Enter at least one NTP server.</source>
        <translation>请至少输入一个 NTP 服务器。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Enter at most %1 NTP servers.</source>
        <translation>最多输入 %1 个 NTP 服务器。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>"%1" is neither an IPv4 address nor a host name.</source>
        <translation>“%1”既不是 IPv4 地址，也不是主机名。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The NTP servers are too long together (at most %1 characters).</source>
        <translation>NTP 服务器合计太长（最多 %1 个字符）。</translation>
    </message>
</context>
<context>
    <name>VexaTool::OnvifPasswordDialog</name>
    <message numerus="yes">
        <location filename="../src/siteops/OnvifPasswordDialog.cpp" line="+40" />
        <source>Change the password of the ONVIF user "%1" on %n device(s). A change counts as done only when the device signs in with the new password.</source>
        <translation>
            <numerusform>修改 %n 台设备上 ONVIF 用户“%1”的密码。只有设备用新密码登录成功才算修改完成。</numerusform>
        </translation>
    </message>
    <message>
        <location line="+5" />
        <source>One new password for all devices</source>
        <translation>所有设备使用同一个新密码</translation>
    </message>
    <message>
        <location line="+13" />
        <location line="+4" />
        <source>New password</source>
        <translation>新密码</translation>
    </message>
    <message>
        <location line="-2" />
        <location line="+3" />
        <source>Confirm password</source>
        <translation>确认密码</translation>
    </message>
    <message>
        <location line="+6" />
        <source>When every device takes it, this run's sign-in uses it, and so does a remembered sign-in in the keyring.</source>
        <translation>所有设备都接受后，本次运行的登录将使用新密码，钥匙串中记住的登录也会更新。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>A generated password for each device</source>
        <translation>为每台设备生成密码</translation>
    </message>
    <message>
        <location line="+6" />
        <source>A new file for the passwords</source>
        <translation>保存密码的新文件</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Password file</source>
        <translation>密码文件</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Choose the password file</source>
        <translation>选择密码文件</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Warning: this file holds the devices' passwords in plain text, readable by you only. Keep it safe. Generated passwords are not remembered in the keyring; each device signs in with its own during this run.</source>
        <translation>警告：该文件以明文保存设备密码，只有您本人可读，请妥善保管。生成的密码不会存入钥匙串；本次运行中每台设备使用各自的密码登录。</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Change ONVIF password</source>
        <translation>修改 ONVIF 密码</translation>
    </message>
    <message>
        <location line="+45" />
        <source>Save the passwords</source>
        <translation>保存密码</translation>
    </message>
    <message>
        <location line="+3" />
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Choose a file for the generated passwords.</source>
        <translation>请为生成的密码选择一个文件。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>%1 exists already; choose a new file.</source>
        <translation>%1 已存在；请选择一个新文件。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The password needs at least 8 characters of two kinds (digits, letters, signs), and must not be the user name.</source>
        <translation>密码至少需要 8 个字符，包含两类字符（数字、字母、符号），且不能与用户名相同。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The password must be printable and at most %1 bytes long.</source>
        <translation>密码必须为可打印字符，最长 %1 个字节。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The two passwords differ.</source>
        <translation>两次输入的密码不一致。</translation>
    </message>
</context>
<context>
    <name>VexaTool::PasswordSheet</name>
    <message>
        <location filename="../src/siteops/PasswordSheet.cpp" line="+76" />
        <source>%1 exists already; choose a new file.</source>
        <translation>%1 已存在；请选择一个新文件。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>%1 cannot be created: %2</source>
        <translation>无法创建 %1：%2</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Serial Number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <location line="+0" />
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <location line="+1" />
        <source>User</source>
        <translation>用户</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <location line="+11" />
        <source>%1 cannot be written: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
</context>
<context>
    <name>VexaTool::PlanPreviewModel</name>
    <message>
        <location filename="../src/plan/PlanPreviewModel.cpp" line="+124" />
        <source>Ready</source>
        <translation>就绪</translation>
    </message>
    <message>
        <location line="+50" />
        <source>Line</source>
        <translation>行号</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Current Address</source>
        <translation>当前地址</translation>
    </message>
    <message>
        <location line="+2" />
        <source>New Address</source>
        <translation>新地址</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Check</source>
        <translation>检查结果</translation>
    </message>
</context>
<context>
    <name>VexaTool::PlanPreviewPage</name>
    <message>
        <location filename="../src/plan/PlanPreviewPage.cpp" line="+68" />
        <source>The plan cannot be read; nothing has been sent.</source>
        <translation>无法读取计划，未发送任何内容。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The plan has no rows.</source>
        <translation>计划中没有任何行。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>%1 rows, all ready. Nothing has been sent yet.</source>
        <translation>共%1行，全部就绪。尚未发送任何内容。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>%1 rows, %2 marked. Correct the marked rows in the file and open it again; nothing has been sent.</source>
        <translation>共%1行，%2行有标记。请在文件中改正有标记的行后重新打开；未发送任何内容。</translation>
    </message>
    <message>
        <location line="+27" />
        <source>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</source>
        <translation>密码过长：最多占用16个字节，而每个非ASCII字符（如汉字）占用多个字节。</translation>
    </message>
</context>
<context>
    <name>VexaTool::PlanText</name>
    <message>
        <location filename="../src/plan/PlanText.cpp" line="+13" />
        <source>This row has %1 fields; the header has %2.</source>
        <translation>此行有%1个字段，而标题行有%2个。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Neither a serial number nor a MAC address is given.</source>
        <translation>未给出序列号或MAC地址。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>MAC address not correct.</source>
        <translation>MAC地址不正确。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The serial number and the MAC address belong to different devices.</source>
        <translation>序列号与MAC地址属于不同的设备。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No listed device has this serial number or MAC address.</source>
        <translation>列表中没有具有此序列号或MAC地址的设备。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Several listed devices have this serial number; add the MAC address.</source>
        <translation>列表中有多台设备使用此序列号，请补充MAC地址。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device is not activated.</source>
        <translation>设备未激活。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device is planned twice (also in line %1).</source>
        <translation>该设备在计划中出现了两次（另见第%1行）。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The address is planned twice (also in line %1).</source>
        <translation>该地址在计划中出现了两次（另见第%1行）。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The address is used by device %1, which the plan does not change.</source>
        <translation>该地址已被设备%1使用，而计划不会修改该设备。</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Something answers at this address: %1.</source>
        <translation>此地址上有设备或主机应答：%1。</translation>
    </message>
    <message>
        <location line="-38" />
        <source>Please input IP Address.</source>
        <translation>请输入IP地址。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>IP Address not correct.</source>
        <translation>IP地址不正确。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Subnet mask can not be empty.</source>
        <translation>子网掩码不能为空。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Subnet Mask not correct.</source>
        <translation>子网掩码不正确。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Gateway can not be empty</source>
        <translation>网关不能为空</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Gateway not correct.</source>
        <translation>网关不正确。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device port ranges from 2000 to 65535.</source>
        <translation>设备端口范围为2000到65535。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Http port ranges from 1 to 65535.</source>
        <translation>HTTP端口范围为1到65535。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device has no HTTP port.</source>
        <translation>该设备没有HTTP端口。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>RTSP port ranges from 1 to 65535.</source>
        <translation>RTSP端口范围为1到65535。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device name cannot be empty.</source>
        <translation>设备名称不能为空。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device name is longer than 32 bytes.</source>
        <translation>设备名称超过32字节。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device name contains control characters.</source>
        <translation>设备名称包含控制字符。</translation>
    </message>
    <message>
        <source>Device name has characters that devices cannot store (only Latin-1 letters and signs).</source>
        <translation type="vanished">设备名称含有设备无法保存的字符（仅限Latin-1字母和符号）。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device name is not UTF-8 text.</source>
        <translation>设备名称不是UTF-8文本。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No listed device has this current address.</source>
        <translation>列表中没有使用此当前地址的设备。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Several listed devices have this current address; add the serial number or MAC address.</source>
        <translation>列表中有多台设备使用此当前地址，请补充序列号或MAC地址。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The current address belongs to another device than the serial number or MAC address.</source>
        <translation>当前地址与序列号或MAC地址属于不同的设备。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The port of an ONVIF device cannot be changed.</source>
        <translation>ONVIF 设备的端口不能修改。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The ONVIF device's settings are not read yet; sign in first.</source>
        <translation>尚未读取该 ONVIF 设备的参数，请先登录。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>DHCP must be yes or no.</source>
        <translation>DHCP只能为“是”或“否”。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The device does not support DHCP.</source>
        <translation>该设备不支持DHCP。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Devices would take each other's addresses (see line %1); give one a free address first.</source>
        <translation>多台设备将互相占用对方的地址（见第%1行）；请先为其中一台指定一个空闲地址。</translation>
    </message>
    <message>
        <location line="+12" />
        <source>The plan file is empty.</source>
        <translation>计划文件为空。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The plan file is larger than 8 MB.</source>
        <translation>计划文件大于8 MB。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The plan file is UTF-16 text; save it as CSV UTF-8.</source>
        <translation>计划文件为UTF-16文本，请另存为CSV UTF-8格式。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Line %1 is not UTF-8 text; save the plan as CSV UTF-8.</source>
        <translation>第%1行不是UTF-8文本，请将计划另存为CSV UTF-8格式。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The quoted field starting in line %1 never ends.</source>
        <translation>从第%1行开始的带引号字段没有结束。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Line %1 has text after a closing quote.</source>
        <translation>第%1行的右引号之后还有文字。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The plan has no column "%1".</source>
        <translation>计划中没有“%1”列。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>The column "%1" appears twice.</source>
        <translation>“%1”列出现了两次。</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Row</source>
        <translation>行</translation>
    </message>
    <message>
        <location line="+2" />
        <location line="+26" />
        <source>Serial Number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <location line="-24" />
        <location line="+24" />
        <source>MAC</source>
        <translation>MAC地址</translation>
    </message>
    <message>
        <location line="-22" />
        <source>Current Address</source>
        <translation>当前地址</translation>
    </message>
    <message>
        <location line="+2" />
        <source>IPv4 Address</source>
        <translation>IPv4地址</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Subnet Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Device Name</source>
        <translation>设备名称</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <location line="+2" />
        <source>HTTP Port</source>
        <translation>HTTP端口</translation>
    </message>
    <message>
        <location line="+2" />
        <source>RTSP Port</source>
        <translation>RTSP端口</translation>
    </message>
    <message>
        <location line="+2" />
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Old Address</source>
        <translation>原地址</translation>
    </message>
    <message>
        <location line="+0" />
        <source>New Address</source>
        <translation>新地址</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Result</source>
        <translation>结果</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Outcome</source>
        <translation>结果类别</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Code</source>
        <translation>代码</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Device Says</source>
        <translation>设备说明</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Not sent: device %1 still has the address.</source>
        <translation>未发送：设备%1仍在使用该地址。</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Not sent: stopped.</source>
        <translation>未发送：已停止。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Stopped waiting for the device: the change may be in force; check the device.</source>
        <translation>已停止等待设备：修改可能已生效，请检查设备。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>%1 The device says: %2</source>
        <translation>%1 设备说明：%2</translation>
    </message>
    <message>
        <location line="-15" />
        <source>Not sent: something answers at the address: %1.</source>
        <translation>未发送：该地址上有设备或主机应答：%1。</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation type="vanished">成功</translation>
    </message>
    <message>
        <location filename="../src/outcome/ErrorText.cpp" line="-25" />
        <source>Error%1:device deny</source>
        <translation>错误%1：设备拒绝</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Error%1:time out</source>
        <translation>错误%1：超时</translation>
    </message>
    <message>
        <location line="+36" />
        <source>Error%1:others</source>
        <translation>错误%1：其他错误</translation>
    </message>
</context>
<context>
    <name>VexaTool::ResetPasswordDialog</name>
    <message>
        <location filename="../src/password/ResetPasswordDialog.cpp" line="+82" />
        <source>Reset Password</source>
        <translation>重置密码</translation>
    </message>
    <message>
        <location line="+94" />
        <source>Generate QR code error.</source>
        <translation>生成二维码失败。</translation>
    </message>
    <message>
        <location line="+25" />
        <source>Get key error.</source>
        <translation>获取密钥申请失败。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Create device key file error.</source>
        <translation>创建设备密钥申请文件失败。</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Exported.</source>
        <translation>已导出。</translation>
    </message>
    <message>
        <location line="+11" />
        <source>The path of the key file is too long. Move the file to a shorter path and choose it again.</source>
        <translation>密钥文件的路径过长。请将文件移到较短的路径后重新选择。</translation>
    </message>
    <message>
        <location line="+15" />
        <source>Please input the secret key.</source>
        <translation>请输入密钥。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The secret key is too long.</source>
        <translation>密钥过长。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The password can not be empty.</source>
        <translation>密码不能为空。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The password you typed do not match.</source>
        <translation>两次输入的密码不一致。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and special character for your password with at least two kinds of them contained.</source>
        <translation>密码长度范围为[8-16]位，可由数字、小写字母、大写字母和特殊字符组合而成，且至少包含其中两种。</translation>
    </message>
    <message>
        <location line="+8" />
        <source>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</source>
        <translation>密码过长：最多占用16个字节，而每个非ASCII字符（如汉字）占用多个字节。</translation>
    </message>
    <message>
        <location line="+14" />
        <source>The key in the key file is too long. Please check the key file.</source>
        <translation>密钥文件中的密钥过长。请检查密钥文件。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The key file could not be copied beside the program.</source>
        <translation>无法将密钥文件复制到程序所在目录。</translation>
    </message>
    <message>
        <location line="+13" />
        <source>The path of the program's folder is too long for the key file copy.</source>
        <translation>程序所在目录的路径过长，无法存放密钥文件副本。</translation>
    </message>
    <message>
        <location line="+21" />
        <source>Reset password Succeed.</source>
        <translation>重置密码成功。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Reset password failed.</source>
        <translation>重置密码失败。</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Weak</source>
        <translation>弱</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Medium</source>
        <translation>中</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Strong</source>
        <translation>强</translation>
    </message>
</context>
<context>
    <name>VexaTool::RestorePasswordDialog</name>
    <message>
        <location filename="../src/password/RestorePasswordDialog.cpp" line="+45" />
        <source>Reset Default Password</source>
        <translation>恢复默认密码</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Please input security code.</source>
        <translation>请输入安全码。</translation>
    </message>
    <message>
        <location line="+8" />
        <source>The security code contains a character that cannot be sent.</source>
        <translation>安全码中含有无法发送的字符。</translation>
    </message>
    <message>
        <location line="+8" />
        <source>The password can not be empty.</source>
        <translation>密码不能为空。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The password you typed do not match.</source>
        <translation>两次输入的密码不一致。</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Valid password range [8-16]. You can use a combination of numbers, lowercase, uppercase and special character for your password with at least two kinds of them contained.</source>
        <translation>密码长度范围为[8-16]位，可由数字、小写字母、大写字母和特殊字符组合而成，且至少包含其中两种。</translation>
    </message>
    <message>
        <location line="+9" />
        <source>The password is too long: it may take at most 16 bytes, and a character outside ASCII takes more than one.</source>
        <translation>密码过长：最多占用16个字节，而每个非ASCII字符（如汉字）占用多个字节。</translation>
    </message>
    <message>
        <location line="+26" />
        <source>Restore password succeed.</source>
        <translation>恢复密码成功。</translation>
    </message>
    <message>
        <location line="+0" />
        <source>The device now has the new password.</source>
        <translation>设备已使用新密码。</translation>
    </message>
    <message>
        <location line="+23" />
        <source>Weak</source>
        <translation>弱</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Medium</source>
        <translation>中</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Strong</source>
        <translation>强</translation>
    </message>
    <message>
        <source>The device is not activated now: activate it with a new password before you use it.</source>
        <translation type="vanished">设备现在处于未激活状态：使用前请用新密码激活。</translation>
    </message>
    <message>
        <location line="-17" />
        <location line="+3" />
        <source>Restore password failed.</source>
        <translation>恢复密码失败。</translation>
    </message>
</context>
<context>
    <name>VexaTool::ScanRangesDialog</name>
    <message>
        <location filename="../src/scan/ScanRangesDialog.cpp" line="+25" />
        <source>Scan</source>
        <translation>扫描</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Stop scanning</source>
        <translation>停止扫描</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <location line="+68" />
        <source>Type the ranges to scan, for example 10.2.0.0/24.</source>
        <translation>请输入要扫描的地址段，例如 10.2.0.0/24。</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Starting…</source>
        <translation>正在开始…</translation>
    </message>
    <message numerus="yes">
        <location line="+13" />
        <source>%1 of %2 addresses asked, %n found</source>
        <translation>
            <numerusform>已询问 %1/%2 个地址，找到 %n 台设备</numerusform>
        </translation>
    </message>
    <message>
        <location line="+16" />
        <source>Not scanned: the ranges hold public addresses.</source>
        <translation>未扫描：地址段中含有公网地址。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>These are not address ranges. Write CIDR blocks (10.2.0.0/24), spans (10.2.0.10-10.2.0.50) or single addresses, separated by commas.</source>
        <translation>这些不是地址段。请填写 CIDR 网段（10.2.0.0/24）、地址范围（10.2.0.10-10.2.0.50）或单个地址，以逗号分隔。</translation>
    </message>
    <message>
        <location line="+2" />
        <source>“%1” is not an address range. Write CIDR blocks (10.2.0.0/24), spans (10.2.0.10-10.2.0.50) or single addresses, separated by commas.</source>
        <translation>“%1”不是地址段。请填写 CIDR 网段（10.2.0.0/24）、地址范围（10.2.0.10-10.2.0.50）或单个地址，以逗号分隔。</translation>
    </message>
    <message>
        <location line="+12" />
        <source>The range could not be remembered: %1 cannot be written.</source>
        <translation>无法记住该地址段：无法写入 %1。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The time limit ended the scan: %1 of %2 addresses were asked.</source>
        <translation>已达到时间上限，扫描结束：已询问 %1/%2 个地址。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Stopped: %1 of %2 addresses were asked.</source>
        <translation>已停止：已询问 %1/%2 个地址。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Scan public addresses?</source>
        <translation>扫描公网地址？</translation>
    </message>
    <message>
        <location line="+1" />
        <source>The ranges hold public addresses, outside the private, link-local and loopback blocks. Scanning addresses that are not your site's may be taken for an attack. Scan them anyway?</source>
        <translation>地址段中含有私有、链路本地和环回地址块之外的公网地址。扫描不属于您站点的地址可能被视为攻击。仍要扫描吗？</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Scan public addresses</source>
        <translation>扫描公网地址</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>VexaTool::ScanResultModel</name>
    <message>
        <location filename="../src/scan/ScanResultModel.cpp" line="+36" />
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Result</source>
        <translation>结果</translation>
    </message>
</context>
<context>
    <name>VexaTool::ScanSummaryDialog</name>
    <message>
        <location filename="../src/scan/ScanSummaryDialog.cpp" line="+22" />
        <source>Scanned: %1</source>
        <translation>已扫描：%1</translation>
    </message>
    <message>
        <location line="+22" />
        <source>Export scan summary</source>
        <translation>导出扫描摘要</translation>
    </message>
    <message>
        <location line="+1" />
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <location line="+31" />
        <source>Not exported: %1 (%2)</source>
        <translation>未导出：%1（%2）</translation>
    </message>
</context>
<context>
    <name>VexaTool::ScanTally</name>
    <message>
        <location filename="../src/scan/ScanTally.cpp" line="+74" />
        <source>Found (both protocols)</source>
        <translation>已找到（两种协议）</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Found (ONVIF)</source>
        <translation>已找到（ONVIF）</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Found</source>
        <translation>已找到</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No answer</source>
        <translation>无应答</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Port closed</source>
        <translation>端口关闭</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Answered, but not a camera</source>
        <translation>有应答，但不是摄像机</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Refused sign-in</source>
        <translation>拒绝登录</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Result</source>
        <translation>结果</translation>
    </message>
</context>
<context>
    <name>VexaTool::SetTimeDialog</name>
    <message numerus="yes">
        <location filename="../src/siteops/SetTimeDialog.cpp" line="+22" />
        <source>Set the clock of %n device(s).</source>
        <translation>
            <numerusform>设置 %n 台设备的时钟。</numerusform>
        </translation>
    </message>
    <message>
        <location line="+3" />
        <source>This computer's time (UTC), set by hand</source>
        <translation>本机时间（UTC），手动设置</translation>
    </message>
    <message>
        <location line="+3" />
        <source>From NTP servers</source>
        <translation>从 NTP 服务器</translation>
    </message>
    <message>
        <location line="+4" />
        <source>1 to 4 servers, e.g. 192.168.1.1, ntp.example.org</source>
        <translation>1 到 4 个服务器，例如 192.168.1.1, ntp.example.org</translation>
    </message>
    <message>
        <location line="+1" />
        <source>NTP servers</source>
        <translation>NTP 服务器</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Set the time zone</source>
        <translation>设置时区</translation>
    </message>
    <message>
        <location line="+4" />
        <source>POSIX time zone, e.g. CET-1CEST,M3.5.0,M10.5.0/3</source>
        <translation>POSIX 时区，例如 CET-1CEST,M3.5.0,M10.5.0/3</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Time zone</source>
        <translation>时区</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Each device is read back afterwards: its clock must be within 2 s of this computer's, or its NTP servers as sent.</source>
        <translation>之后会读回每台设备：其时钟与本机相差不得超过 2 秒，或其 NTP 服务器与设置的一致。</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Set time</source>
        <translation>设置时间</translation>
    </message>
    <message>
        <location line="+35" />
        <source>Enter the time zone as POSIX text without spaces, e.g. CET-1CEST,M3.5.0,M10.5.0/3.</source>
        <translation>请以不含空格的 POSIX 文本输入时区，例如 CET-1CEST,M3.5.0,M10.5.0/3。</translation>
    </message>
</context>
<context>
    <name>VexaTool::SignInDialog</name>
    <message numerus="yes">
        <location filename="../src/signin/SignInDialog.cpp" line="+50" />
        <source>The login goes to the %n ONVIF device(s) listed now. A device found later shows “Sign-in needed” until you sign in again.</source>
        <translation>
            <numerusform>登录信息发给当前列出的 %n 台 ONVIF 设备。之后发现的设备显示“需要登录”，直到您重新登录。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>VexaTool::SiteBatch</name>
    <message>
        <location filename="../src/siteops/SiteBatch.cpp" line="+87" />
        <source>The device refused the time zone; the time was set without it.</source>
        <translation>设备拒绝了时区；时间已设置，但未设时区。</translation>
    </message>
</context>
<context>
    <name>VexaTool::SnapshotPane</name>
    <message>
        <location filename="../src/preview/SnapshotPane.cpp" line="+41" />
        <source>Camera shown</source>
        <translation>所显示的摄像机</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Camera picture</source>
        <translation>摄像机画面</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Picture note</source>
        <translation>画面说明</translation>
    </message>
    <message>
        <location line="+4" />
        <location line="+2" />
        <source>Refresh picture</source>
        <translation>刷新画面</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Hide</source>
        <translation>隐藏</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Hide the picture pane</source>
        <translation>隐藏画面窗格</translation>
    </message>
    <message>
        <location line="+69" />
        <source>Select a camera to see its picture.</source>
        <translation>选择一台摄像机以查看其画面。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>No picture: this device does not give one.</source>
        <translation>无画面：该设备不提供画面。</translation>
    </message>
    <message>
        <location line="+6" />
        <source>No picture: sign in to this device first.</source>
        <translation>无画面：请先登录该设备。</translation>
    </message>
    <message>
        <location line="+1" />
        <source>No picture: the device's details are not read yet.</source>
        <translation>无画面：尚未读取该设备的详细信息。</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Fetching the picture…</source>
        <translation>正在获取画面…</translation>
    </message>
    <message>
        <location line="+26" />
        <source>No picture: the device gives no snapshot address</source>
        <translation>无画面：设备未提供抓图地址</translation>
    </message>
    <message>
        <location line="+1" />
        <source>No picture: the device gives no snapshot address (%1)</source>
        <translation>无画面：设备未提供抓图地址（%1）</translation>
    </message>
    <message>
        <location line="+2" />
        <source>No picture: %1</source>
        <translation>无画面：%1</translation>
    </message>
    <message>
        <location line="+35" />
        <source>No picture: the device's picture is too large to show.</source>
        <translation>无画面：设备的画面过大，无法显示。</translation>
    </message>
    <message>
        <location line="+5" />
        <source>No picture: the device sent something that is not a picture.</source>
        <translation>无画面：设备发送的内容不是图片。</translation>
    </message>
</context>
<context>
    <name>VexaTool::StrengthMeter</name>
    <message>
        <location filename="../src/siteops/StrengthMeter.cpp" line="+35" />
        <source>Password strength</source>
        <translation>密码强度</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Weak</source>
        <translation>弱</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Medium</source>
        <translation>中</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Strong</source>
        <translation>强</translation>
    </message>
</context>
<context>
    <name>VexaTool::VEXAToolMainPage</name>
    <message>
        <location filename="../src/app/VEXAToolMainPage.cpp" line="+81" />
        <location line="+1" />
        <source>VEXA Tool</source>
        <translation>VEXA 工具</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Sign in to ONVIF devices…</source>
        <translation>登录 ONVIF 设备…</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Scan addresses…</source>
        <translation>扫描地址…</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Export inventory…</source>
        <translation>导出设备清单…</translation>
    </message>
    <message>
        <location line="+129" />
        <source>Initialization failed.</source>
        <translation>初始化失败。</translation>
    </message>
    <message>
        <location line="+108" />
        <location line="+14" />
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <location line="-13" />
        <source>A batch is sending to devices. Stop it and exit? Devices not yet sent are left as they are; the results are shown before VEXA closes.</source>
        <translation>正在向设备批量发送。确定停止并退出吗？尚未发送的设备保持不变；VEXA 关闭前将显示结果。</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Exit the VEXA software?</source>
        <translation>确定退出 VEXA 软件吗？</translation>
    </message>
</context>
<context>
    <name>WarningDialog</name>
    <message>
        <location filename="../src/aptui/WarningDialog.ui" line="+32" />
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <location line="+52" />
        <source>Close</source>
        <translation>关闭</translation>
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
        <translation>VEXA 已在运行。</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Display resolution less than 1024*768,are you sure to start the program?</source>
        <translation>显示器分辨率低于 1024×768，确定要启动程序吗？</translation>
    </message>
</context>
<context>
    <name>apt::TrustedKeys</name>
    <message>
        <location filename="../src/app/TrustedKeys.cpp" line="+27" />
        <source>VEXA_TRUSTED_KEYS holds no valid key: no device can prove that it is genuine, and no password will be sent to any. Correct the keys and restart the program.</source>
        <translation>VEXA_TRUSTED_KEYS 中没有有效的密钥：任何设备都无法证明其为正品，也不会向任何设备发送密码。请更正密钥后重新启动程序。</translation>
    </message>
</context>
<context>
    <name>aptui::BatchProgressCover</name>
    <message>
        <location filename="../src/aptui/BatchProgressCover.cpp" line="+41" />
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <location line="+56" />
        <source>Modifying %1 of %2</source>
        <translation>正在修改第 %1 台，共 %2 台</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Activating %1 of %2</source>
        <translation>正在激活第 %1 台，共 %2 台</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Setting the time of %1 of %2</source>
        <translation>正在设置时间 %1 / %2</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Changing the password of %1 of %2</source>
        <translation>正在修改密码 %1 / %2</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Restarting…</source>
        <translation>正在重启…</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Restarting… (%1 devices)</source>
        <translation>正在重启…（%1 台设备）</translation>
    </message>
</context>
<context>
    <name>aptui::CDlgAbout</name>
    <message>
        <location filename="../src/app/CDlgAbout.cpp" line="+23" />
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <location line="+4" />
        <source> v2.0.0.3</source>
        <translation> v2.0.0.3</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Name: </source>
        <translation>名称：</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Version: </source>
        <translation>版本：</translation>
    </message>
</context>
<context>
    <name>aptui::FilePathButton</name>
    <message>
        <location filename="../src/aptui/FilePathButton.cpp" line="+8" />
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
</context>
<context>
    <name>aptui::HintBox</name>
    <message>
        <location filename="../src/aptui/HintBox.cpp" line="+8" />
        <source>Hint</source>
        <translation>提示</translation>
    </message>
</context>
<context>
    <name>aptui::PinButton</name>
    <message>
        <location filename="../src/aptui/PinButton.cpp" line="+25" />
        <source>Show or hide the settings page</source>
        <translation>显示或隐藏设置页</translation>
    </message>
</context>
<context>
    <name>aptui::WindowTitle</name>
    <message>
        <location filename="../src/aptui/WindowTitle.cpp" line="+40" />
        <source>Application</source>
        <translation>应用程序</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <location line="+1" />
        <location line="+63" />
        <source>Maximize</source>
        <translation>最大化</translation>
    </message>
    <message>
        <location line="-62" />
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Menu</source>
        <translation>菜单</translation>
    </message>
    <message>
        <location line="+65" />
        <source>Restore</source>
        <translation>还原</translation>
    </message>
</context>
</TS>