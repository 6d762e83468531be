-- Changes an existing order (deleted ones included): the given status,
-- external number and supplier, EMPRESA_ID 1; the client is not passed and
-- stays as it is. Records the update (entity 172, operation 2). An unknown
-- order is refused with RETORNO 1 and nothing is written.
CREATE PROCEDURE SP_QBX_ALT_PEDIDO_OLT1 (@PEDIDO_ID INTEGER, @TAB_STATUS_ID INTEGER, @NUM_PEDIDO_EXTERNO TEXT,
                                         @FORNECEDOR_ID INTEGER, @USUARIO_ID INTEGER)
AS
UPDATE PEDIDO
   SET EMPRESA_ID = 1,
       TAB_STATUS_ID = @TAB_STATUS_ID,
       NUM_PEDIDO_EXTERNO = @NUM_PEDIDO_EXTERNO,
       FORNECEDOR_ID = @FORNECEDOR_ID
 WHERE PEDIDO_ID = @PEDIDO_ID;
INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
SELECT 172, 2, @USUARIO_ID, PEDIDO_ID, julianday('now', 'localtime')
  FROM PEDIDO WHERE PEDIDO_ID = @PEDIDO_ID;
SELECT CASE WHEN EXISTS (SELECT 1 FROM PEDIDO WHERE PEDIDO_ID = @PEDIDO_ID) THEN 0 ELSE 1 END AS RETORNO,
       CASE WHEN EXISTS (SELECT 1 FROM PEDIDO WHERE PEDIDO_ID = @PEDIDO_ID) THEN '' ELSE 'Pedido não encontrado.' END
           AS MSG_RET;
