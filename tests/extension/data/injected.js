Velnor.Recognition = {
  Echo: function (first, second, third) { return [first, second, third].join(','); }
};
