// ---- What the page says ----

const QORVEL_TEXT = '';  // the paste code "Qorvel text as it is", not a converter

// What the desktop programs call each code; a code added to the registry
// later shows with its registry description until it gets a name here.
const CODE_LABELS = {
  '': '粘贴Qorvel蒙文文本内容',
  'mengkeli-paste': '粘贴蒙科立蒙文文本内容',
  'mingantu': '粘贴明安途蒙文文本',
  'wordfont': '粘贴蒙文WORD文本',
  'mengkeli': '蒙科立蒙文代码转换为Qorvel蒙文2006代码',
  'hasi': '哈斯代码转换为Qorvel蒙文2006国际代码',
};
const DEFAULT_FILE_CODE = 'mengkeli';

const TEXT = {
  loading: '正在载入...',
  noWasm: '这个浏览器不能运行WebAssembly，无法转换。请使用新版的浏览器。',
  notReady: 'window.qorvel is not ready: wait for qorvel.ready',
  reloadFailed: (err) => '转换程序出错后无法重新载入（' + err + '），现在不能转换；再次转换时会重试。',
  badLineHeight: '请输入一个整数。',
  badSize: '字号请输入1到1000之间的数。',
  converted: (bytes, columns) => '转换结果 ' + bytes + ' 字节，共 ' + columns + ' 列。',
  failed: '转换失败：内存不足或内部错误。',
  opened: (name, bytes) => '已打开“' + name + '”，读入 ' + bytes + ' 字节。',
  openedTo: (name, bytes, offset, byte) =>
    '已打开“' + name + '”，读入 ' + bytes + ' 字节：第 ' + offset + ' 字节是' + byte +
    '，文本到那里结束，后面的内容没有读入。',
  openError: (name) => '打开文件错误：无法读取“' + name + '”，文本没有改变。',
  openedBefore: (bytes) => '前面还有打开的文本 ' + bytes + ' 字节；在这里粘贴的文本接在它后面。',
  copiedWeb: '已复制成蒙文网页格式。',
  copiedAll: '已复制所有内容。',
  copiedHtml: '已复制为网页（HTML），同时附有蒙文网页格式的文本。',
  copyFailed: '无法写入剪贴板：',
  saved: (name) => '已保存 ' + name + '。',
  faceMissing: (face) =>
    '字体“' + face + '”没有安装，或者没有Qorvel蒙文字形：蒙文显示不正确。请先安装这个字体，或者在“字体”里填写已安装的Qorvel字体。',
  toDownloads: '转换结果下载到浏览器的下载文件夹。',
  toFolder: (name) => '转换结果直接写入文件夹“' + name + '”，文件多大都不占内存。',
  folderError: (err) => '无法使用这个文件夹：' + err,
  waiting: '准备转换...',
  converting: '正在转换...',
  saving: '正在保存...',
  writing: '正在完成写入...',
  finished: '转换结束',
  finishedKeeping: '转换结束（保留了其他文字）',
  written: (folder, name) => '已写入“' + folder + '/' + name + '”。',
  readError: '读文件错误：无法读取这个文件，转换没有完成。',
  convertError: '转换失败：内存不足或内部错误，转换没有完成。',
  writeError: (why) => '写入失败（' + why + '）：文件没有写完。',
  // Why a write failed, by the name of the browser's error.
  writeFailures: {
    QuotaExceededError: '磁盘空间不足',
    NotAllowedError: '没有写入这个文件夹的权限',
    NoModificationAllowedError: '文件正在被别的程序使用',
    NotFoundError: '文件夹已经不在了',
    TypeMismatchError: '已经有同名的文件夹',
  },
  cancelled: '已取消，转换没有完成。',
  left: {
    removed: (name) => '没有留下“' + name + '”。',
    unchanged: (name) => '原来的“' + name + '”没有改变。',
    partial: (name) => '“' + name + '”没有写完，请删除这个文件。',
  },
  cancel: '取消',
  cancelLabel: (name) => '取消 ' + name,
  remove: '移除',
  removeLabel: (name) => '移除 ' + name,
  download: (name) => '下载 ' + name,
  // What a conversion lost (lossNotes).
  dropped: (count, offsets) => '有 ' + count + ' 个字节无法转换，已略去' + (!offsets.length ? ''
    : '（' + (offsets.length < count ? '前 ' + offsets.length + ' 个' : '') + '在第 ' + offsets.join('、') + ' 字节）') + '。',
  endedEarly: (offset, after) => '文本在第 ' + offset + ' 字节的 NUL 处结束，其后 ' + after + ' 个字节未转换。',
  pasteLost: '粘贴的文本：',
};

// What a conversion lost, a sentence for each kind of loss, none when
// nothing was lost. `loss`: {dropped, offsets, endedAt, after}, endedAt
// null unless a NUL byte ended the text with more than NULs after it.
function lossNotes(loss) {
  const notes = [];
  if (loss.dropped > 0) notes.push(TEXT.dropped(loss.dropped, loss.offsets));
  if (loss.endedAt !== null) notes.push(TEXT.endedEarly(loss.endedAt, loss.after));
  return notes;
}
