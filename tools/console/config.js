// Where the console finds vxcfg and what it adds to vxcfg's environment. An installation may
// edit this file; the page itself never changes it.
window.VXCONSOLE = {
    program: "vxcfg",
    environ: [],
};
