net_tw
