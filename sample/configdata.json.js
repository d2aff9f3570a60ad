var configdata = {};
