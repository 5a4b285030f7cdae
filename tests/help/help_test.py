#!/usr/bin/env python3
"""Checks the compiled help file with chmls: every page is in it, in code
page 936 and declared so, named in the contents, and says what a user needs
(each trigger kind and action with an example, the settings, the countdown,
what the junk cleanup removes, start with Windows, the FAQ).

usage: help_test.py Velmaro.CHM"""
import os
import re
import subprocess
import sys
import tempfile
import unittest

CHM = None

# Page: phrases it must contain (after decoding from code page 936).
REQUIRED = {
    'index.htm': ['Velmaro 是什么', '通知区域', '触发条件', '动作', 'HKEY_LOCAL_MACHINE\\Software\\Drennik\\Velmaro',
                  'Windows XP'],
    'menu.htm': ['启用监控(E)', '设置(S)', '注销(L)', '待机(W)', '休眠(S)', '重启(R)', '关机(U)', '快速重启(I)',
                 '快速关机(Q)', '打开光驱(O)', '关闭光驱(C)', '关闭显示器(M)', '清理系统垃圾(Z)', '软件更新(P)', '关于(A)',
                 '帮助(H)', '退出(X)', 'Velmaro-启用', 'Velmaro-禁用', '立即执行', '取消推迟(D)', '运行记录(L)'],
    'tasks.htm': ['添加(A)', '修改(M)', '删除(D)', '请选择时间', '请选择要修改的任务', '请选择要删除的任务'],
    'triggers.htm': ['空闲10分钟', '一次2009-1-18日10时30分', '每天22时30分', '每周7日22时0分', '每月15日9时30分',
                     '每年12月31日23时59分', '开机1时30分', '精确到分钟', '网络空闲10分钟50KB',
                     '处理器空闲10分钟10%', '程序结束downloader.exe'],
    'actions.htm': ['提醒', '打开文件', '关闭程序', '断开拨号', '拨号连接', '注销计算机', '待机计算机', '休眠计算机',
                    '重启计算机', '关闭计算机', '快速重启', '快速关机', '清理系统垃圾', 'notepad.exe', '该休息一下了。',
                    '断开成功', '断开失败', '没有可用的拨号连接'],
    'settings.htm': ['开机启动Velmaro(S)', '关机前声音提示', '关机前等待', '待机前关闭所有程序(P)', '确定(O)', '取消(C)',
                     '仅对本机设置', '关机前提醒(W)'],
    'countdown.htm': ['Windows 正在准备关机...', '要想取消关机，请按下&lt;取消关机&gt;按钮:剩余', '立即关机', '取消关机',
                      'Velmaro-禁用', '退出 Velmaro'],
    'postpone.htm': ['推迟(P)', '推迟 5 分钟', '推迟 60 分钟', 'Velmaro-启用：23:10 关机', '取消推迟(D)', '重新启动 Velmaro'],
    'timer.htm': ['定时(T)…', '取消定时(N)（23:15 关机）', 'Velmaro-启用：定时 23:15 关机', '定时 关机 已执行',
                  '定时关机耽搁太久，已放弃', 'QuickTimer'],
    'command.htm': ['/shutdown /in 30', '/restart /at 23:15', '/cancel', '/status', '/list /csv', '/add', '/delete',
                    '/export', '/import', '/replace', '错误 740', '命令行有误', '没有要取消的定时或倒计时'],
    'ahead.htm': ['5 分钟后将关闭计算机', '立即执行(R)', '推迟(P)', '本次不执行(S)', '关机前提醒(W)', '空闲任务'],
    'wake.htm': ['唤醒计算机运行', '错过后补做', '为任务 N 唤醒计算机', '错过的任务已补做：…', '补做（错过 2026-12-01 09:00）',
                 '提醒', '打开文件', '清理系统垃圾', '注销', '关闭程序', '拨号'],
    'record.htm': ['运行记录.log', '运行记录.old.log', '运行记录(L)', '迟了 N 分钟执行', '本次不执行', '推迟 N 分钟',
                   '电脑睡眠，未执行', '1 MB'],
    'cleanup.htm': ['QLLJ.bat', 'TEMP', 'TMP', 'Temp', 'Tmp', '%SystemRoot%\\Temp', 'Temporary Internet Files',
                    'INetCache', '正在使用的文件', '链接', 'Velmaro 自己的文件夹', '清理系统垃圾列表202635_879.txt'],
    'startup.htm': ['Zedevi', 'HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run', '任务计划程序',
                    '<b>Velmaro</b>', '最高权限', 'WOW6432Node'],
    'install.htm': ['Velmaro-Setup.exe /S', '/AUTOSTART', 'uninstall.exe" /S', 'Velmaro-Portable.zip',
                    'Windows Registry Editor Version 5.00', '"A1"="每天22时30分"', 'reg import tasks.reg /reg:32'],
    'faq.htm': ['常见问题', '启用监控(E)', 'Velmaro.CHM'],
}


def chmls(*args):
    return subprocess.run(['chmls'] + list(args), check=True, capture_output=True).stdout


def extract(name):
    with tempfile.TemporaryDirectory() as work:
        target = os.path.join(work, 'page')
        chmls('extract', CHM, '/' + name, target)
        with open(target, 'rb') as f:
            return f.read()


class HelpFile(unittest.TestCase):
    def test_every_page_is_in_the_file(self):
        listed = set(chmls('-n', 'list', CHM).decode('latin-1').split())
        for page in list(REQUIRED) + ['toc.hhc', 'index.hhk', 'style.css']:
            self.assertIn('/' + page, listed)

    def test_pages_are_code_page_936_and_say_what_users_need(self):
        for page, phrases in REQUIRED.items():
            with self.subTest(page=page):
                text = extract(page).decode('gbk')  # raises on anything but code page 936
                self.assertIn('charset=gb2312', text)
                self.assertRegex(text, r'<title>[^<]*[\u4e00-\u9fff][^<]*</title>')
                for phrase in phrases:
                    self.assertIn(phrase, text)

    def test_contents_name_every_page_and_the_language_is_chinese(self):
        contents = extract('toc.hhc').decode('gbk')
        for page in REQUIRED:
            self.assertRegex(contents, r'<param name="Name" value="[^"]*[\u4e00-\u9fff][^"]*">'
                             r'<param name="Local" value="%s">' % re.escape(page))
        system = extract('#SYSTEM')
        # Entry 4 of #SYSTEM starts with the locale id: 0x0804, Chinese (PRC).
        self.assertIn(b'\x04\x00\x24\x00\x04\x08\x00\x00', system)
        self.assertIn('Velmaro 帮助'.encode('gbk'), system)


if __name__ == '__main__':
    CHM = sys.argv.pop(1)
    unittest.main(verbosity=2)
