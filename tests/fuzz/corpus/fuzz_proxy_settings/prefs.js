// Mozilla User Preferences
/* comment */
user_pref("network.proxy.type", 1);
user_pref("network.proxy.http", "proxy.example");
user_pref("network.proxy.http_port", 3128);
user_pref("network.proxy.no_proxies_on", "localhost, *.intra.example, 10.0.0.0/8");
user_pref("esc", "a\"b\\c\x41\u00e9\ud83d\ude00");
user_pref('b', true);
