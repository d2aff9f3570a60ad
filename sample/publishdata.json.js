var publishdata = {"playerlanguage":"en","title":"Sample content"};
